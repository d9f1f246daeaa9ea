// What only the Windows program meets: the real registry, the system's wave-out, paths with
// backslashes and drive letters, and UTF-8 names through the A calls. Run under Wine.
#include <cstdlib>
#include <filesystem>

#include "core/file_dialog_rules.h"
#include "core/wave_format.h"
#include "support/save_fixture.h"
#include "ui/command_line.h"

namespace fs = std::filesystem;

namespace {

constexpr char RecorderKey[] = "Software\\Vintrel\\Quorbel";

// The recorder's key in this prefix's HKEY_CURRENT_USER, removed again when the test ends.
class RecorderSetting {
  public:
    RecorderSetting(DWORD type, const std::string& value)
    {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, RecorderKey, 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExA(key, "TmpDir", 0, type,
                                 reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>(value.size() + 1)),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    ~RecorderSetting() { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Vintrel"); }
};

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string CurrentDirectory()
{
    char directory[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, directory);
    return directory;
}

bool SameFolder(const std::string& a, const std::string& b)
{
    std::error_code error;
    return fs::equivalent(fs::u8path(a), fs::u8path(b), error);
}

class WindowsSystemTest : public SaveTest {};

// The open dialog starts where the recorder's TmpDir points, read from the real registry
// when the main dialog starts; %TEMP% in a REG_EXPAND_SZ value is expanded.
TEST(WindowsRegistry, TheOpenDialogStartsInTheRecordersFolder)
{
    TempDir elsewhere;
    const std::string temp = Environment("TEMP");
    ASSERT_FALSE(temp.empty());
    fs::create_directory(fs::u8path(temp + "\\Quorbel-録音"));
    const struct {
        DWORD type;
        std::string value;
        std::string expected;
    } rows[] = {
        {REG_EXPAND_SZ, "%TEMP%", temp},
        {REG_EXPAND_SZ, "%TEMP%\\Quorbel-録音", temp + "\\Quorbel-録音"},
        {REG_SZ, temp, temp},
        {REG_SZ, "C:\\no such folder", elsewhere.path()}, // a stale value: nothing changes
    };
    ModuleInstance = &ResourceModule;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        ASSERT_TRUE(SetCurrentDirectoryA(elsewhere.path().c_str()));
        RecorderSetting setting(row.type, row.value);
        HWND dialog = CreateDialogParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                         MainDialogProc, 0);
        ASSERT_NE(dialog, nullptr);
        FileDialogLogClear();
        FileDialogScriptSet({FileDialogAnswer{}});
        SendMessageA(dialog, WM_COMMAND, IDM_OPEN, 0);
        FileDialogScriptClear();
        ASSERT_EQ(FileDialogLog().size(), 1u);
        EXPECT_TRUE(SameFolder(FileDialogLog()[0].initialDir, row.expected))
            << FileDialogLog()[0].initialDir;
        EXPECT_TRUE(SameFolder(CurrentDirectory(), row.expected)) << CurrentDirectory();
        DestroyWindow(dialog);
    }
}

// Both separators end a folder, and a drive's root keeps its backslash.
TEST(WindowsPaths, FileDialogRulesTakeBackslashesAndDrives)
{
    const struct {
        const char* path;
        const char* withWav;
        const char* directory;
    } rows[] = {
        {"C:\\rec\\take.tmp", "C:\\rec\\take.wav", "C:\\rec"},
        {"C:\\rec.d\\take", "C:\\rec.d\\take.wav", "C:\\rec.d"},
        {"C:\\take.tmp", "C:\\take.wav", "C:\\"},
        {"C:/rec/take.tmp", "C:/rec/take.wav", "C:/rec"},
        {"\\\\server\\share\\a.b\\take", "\\\\server\\share\\a.b\\take.wav",
         "\\\\server\\share\\a.b"},
    };
    for (const auto& row : rows) {
        char path[MAX_PATH];
        lstrcpynA(path, row.path, MAX_PATH);
        ReplaceExtension(path, "wav");
        EXPECT_STREQ(path, row.withWav);
        char directory[MAX_PATH];
        DirectoryOf(directory, row.path);
        EXPECT_STREQ(directory, row.directory);
    }
}

// A recording named outside ASCII opens, and saves as a copy and in place, through the
// A calls (the manifest makes the active code page UTF-8).
TEST_F(WindowsSystemTest, AUtf8NameOpensAndSaves)
{
    ASSERT_EQ(GetACP(), static_cast<UINT>(CP_UTF8)) << "the manifest's code page is not in force";
    OpenSource("Übung-録音.tmp", 96044);
    const std::string copy = temp.file("Übung-録音 copy.wav");
    FileDialogScriptSet({Choose(copy)});
    MessageBoxScriptSet({{IDOK, nullptr}});
    Command(IDM_SAVE_AS); // returns when the Saving dialog has ended
    EXPECT_EQ(ReadWholeFile(copy), ExpectedWav());

    const WAVEFORMATEX format = CurrentFormat;
    const std::string renamed = temp.file("Übung-録音.wav");
    FileDialogScriptSet({Choose(renamed)});
    MessageBoxScriptSet({{IDYES, nullptr}, {IDOK, nullptr}});
    Command(IDM_SAVE_IN_PLACE);
    EXPECT_FALSE(Exists(sourcePath));
    EXPECT_EQ(ReadWholeFile(renamed), ExpectedWav());

    // For readers that are not ours, on the Linux side (scripts/test-windows.sh): both
    // results, the PCM they must hold and the format they must state.
    const std::string results = Environment("SALVORIN_WINE_RESULTS");
    if (!results.empty()) {
        const fs::path folder = fs::u8path(results);
        fs::copy_file(fs::u8path(copy), folder / "copy.wav", fs::copy_options::overwrite_existing);
        fs::copy_file(fs::u8path(renamed), folder / "in-place.wav",
                      fs::copy_options::overwrite_existing);
        std::ofstream pcm(folder / "expected.pcm", std::ios::binary);
        const std::string data = ExpectedWav().substr(WavHeaderSize);
        pcm.write(data.data(), static_cast<std::streamsize>(data.size()));
        std::ofstream(folder / "format.txt")
            << format.nSamplesPerSec << ' ' << format.wBitsPerSample << ' ' << format.nChannels
            << '\n';
    }
}

// Without a sound card, Play meets winmm's own refusal: one error box with the system's
// text for the code, and the window ready for the next command.
TEST_F(WindowsSystemTest, PlayWithoutASoundCardShowsTheSystemsErrorBox)
{
    if (waveOutGetNumDevs() != 0) {
        GTEST_SKIP() << "this system has a wave-out device; the refusal needs none";
    }
    OpenSource("rec.tmp", 88244);
    MessageBoxScriptSet({{IDOK, nullptr}});
    UserClick(Item(IDC_PLAY));
    PumpMessages();
    ASSERT_EQ(MessageBoxLog().size(), 1u);
    const MessageBoxRecord box = MessageBoxLog()[0];
    EXPECT_EQ(box.type & 0xF0, static_cast<UINT>(MB_ICONERROR));
    // The system's sentence for the code, not the fallback for a code without one.
    EXPECT_EQ(box.text.find("MmErr."), std::string::npos) << box.text;
    EXPECT_FALSE(box.text.empty());
    EXPECT_FALSE(IsPlaying());
    EXPECT_TRUE(Enabled(IDC_PLAY));
}

} // namespace

namespace {

int ReadArguments(std::vector<const char*> arguments)
{
    arguments.insert(arguments.begin(), "salvorin");
    return ReadCommandLine(static_cast<int>(arguments.size()), arguments.data());
}

} // namespace

// Started without a console (no standard handles, no console to join), what the command
// line has to say appears in a box; with a standard handle (a console, a file, a pipe), it
// is written there and no box appears. The exit statuses stay.
TEST(WindowsStartup, CommandLineTextsReachAConsoleOrABox)
{
    FaultInject("GetStdHandle", 1, ERROR_INVALID_HANDLE, 100);
    FaultInject("AttachConsole", 1, ERROR_INVALID_HANDLE, 100);
    MessageBoxLogClear();
    MessageBoxScriptSet({{IDOK, nullptr}, {IDOK, nullptr}, {IDOK, nullptr}});
    EXPECT_EQ(ReadArguments({"a.tmp", "b.tmp"}), 2);
    EXPECT_EQ(ReadArguments({"--help"}), 0);
    EXPECT_EQ(ReadArguments({"--version"}), 0);
    EXPECT_GE(FaultCallCount("AttachConsole"), 3);
    FaultClearAll();
    MessageBoxScriptClear();
    ASSERT_EQ(MessageBoxLog().size(), 3u);
    const MessageBoxRecord& refused = MessageBoxLog()[0];
    EXPECT_EQ(refused.owner, nullptr);
    EXPECT_EQ(refused.caption, "Salvorin");
    EXPECT_EQ(refused.type, static_cast<UINT>(MB_ICONERROR));
    EXPECT_NE(refused.text.find("only one file can be opened, also given: b.tmp"),
              std::string::npos)
        << refused.text;
    EXPECT_EQ(MessageBoxLog()[1].caption, "Salvorin");
    EXPECT_EQ(MessageBoxLog()[1].type, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(MessageBoxLog()[1].text.rfind("Usage: salvorin", 0), 0u) << MessageBoxLog()[1].text;
    EXPECT_EQ(MessageBoxLog()[2].text.rfind("salvorin ", 0), 0u) << MessageBoxLog()[2].text;

    // Standard output and standard error redirected to files: each text goes to its own.
    TempDir temp;
    const std::string outPath = temp.file("out.txt");
    const std::string errPath = temp.file("err.txt");
    HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE err = CreateFileA(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(out, INVALID_HANDLE_VALUE);
    ASSERT_NE(err, INVALID_HANDLE_VALUE);
    HANDLE oldOut = GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE oldErr = GetStdHandle(STD_ERROR_HANDLE);
    SetStdHandle(STD_OUTPUT_HANDLE, out);
    SetStdHandle(STD_ERROR_HANDLE, err);
    MessageBoxLogClear();
    const int version = ReadArguments({"--version"});
    const int bogus = ReadArguments({"--bogus"});
    SetStdHandle(STD_OUTPUT_HANDLE, oldOut);
    SetStdHandle(STD_ERROR_HANDLE, oldErr);
    CloseHandle(out);
    CloseHandle(err);
    EXPECT_EQ(version, 0);
    EXPECT_EQ(bogus, 2);
    EXPECT_TRUE(MessageBoxLog().empty());
    EXPECT_EQ(ReadWholeFile(outPath).rfind("salvorin ", 0), 0u) << ReadWholeFile(outPath);
    EXPECT_EQ(ReadWholeFile(errPath),
              "salvorin: unknown option: --bogus (try 'salvorin --help')\n");
}
