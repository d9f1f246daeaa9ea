// The whole job, as a user does it, on the real main dialog running modally: open a
// generated temporary file through File > Open, state its format with the controls, play
// it through SDL's disk driver, Save as, then open a copy of the same file and Save in
// place. Every WAV file written is then read by readers that are not ours (Python's `wave`
// and SoX, through check_wav.py next to this file), which must find the generated format,
// length and samples.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "playback/playback_state.h"
#include "samplegen/samplegen.h"
#include "support/main_dialog_fixture.h"
#include "support/run_command.h"

namespace fs = std::filesystem;

namespace {

struct Format {
    int bits;
    int channels;
    uint32_t rate;
    bool typed; // the rate is typed into the combo box's edit field, not picked from the list
};

void PrintTo(const Format& f, std::ostream* out)
{
    *out << f.rate << " Hz, " << f.bits << "-bit, " << f.channels << " channel(s)";
}

std::string Name(const ::testing::TestParamInfo<Format>& info)
{
    const Format& f = info.param;
    return std::to_string(f.bits) + "Bit" + (f.channels == 1 ? "Mono" : "Stereo") +
           std::to_string(f.rate) + (f.typed ? "Typed" : "Picked");
}

// A shell word for a path made by TempDir (no single quotes in it).
std::string Quoted(const std::string& text)
{
    return "'" + text + "'";
}

size_t LeadingSilence(const std::string& bytes, char silence)
{
    const size_t end = bytes.find_first_not_of(silence);
    return end == std::string::npos ? bytes.size() : end;
}

class WholeJobTest : public ProgramTest, public ::testing::WithParamInterface<Format> {
  protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        played = temp.file("played.raw");
        // Read by SDL when the first device opens; a short delay per chunk plays the file
        // far faster than real time and still leaves each refill ample time.
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", played.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "5", 1);
    }

    // A temporary file of the tune in the format under test, two and a half seconds long so
    // that playback refills a buffer, with its data cut to whole groups of 4 bytes: the
    // program uses nothing beyond the last one.
    void Generate()
    {
        const Format& f = GetParam();
        SampleSpec spec;
        spec.rate = f.rate;
        spec.bits = f.bits;
        spec.channels = f.channels;
        spec.seconds = 2.5;
        data = MakeTunePcm(spec);
        data.resize(data.size() - data.size() % 4);
        ASSERT_GT(data.size(), 2u * f.rate * f.bits / 8 * f.channels);
        source = temp.file("rec0001.tmp");
        std::ofstream file(source, std::ios::binary);
        const std::string reserved(ReservedHeaderSize, '\0');
        file.write(reserved.data(), ReservedHeaderSize);
        file.write(reinterpret_cast<const char*>(data.data()),
                   static_cast<std::streamsize>(data.size()));
        file.close();
        ASSERT_TRUE(file);
        copy = temp.file("rec0002.tmp");
        fs::copy_file(source, copy);
        expected = temp.file("expected.pcm");
        std::ofstream pcm(expected, std::ios::binary);
        pcm.write(reinterpret_cast<const char*>(data.data()),
                  static_cast<std::streamsize>(data.size()));
        pcm.close();
        ASSERT_TRUE(pcm);
    }

    HWND Item(int id) const { return GetDlgItem(dialog, id); }

    std::string Text(HWND window) const
    {
        char buffer[512] = "";
        GetWindowTextA(window, buffer, sizeof buffer);
        return buffer;
    }

    bool Checked(int id) const { return SendMessageA(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

    void Open(const std::string& path)
    {
        FileDialogAnswer answer;
        answer.choose = true;
        answer.path = path;
        FileDialogScriptSet({answer});
        MessageBoxScriptSet({});
        MessageBoxLogClear();
        UserChooseMenuItem(dialog, IDM_OPEN);
        EXPECT_EQ(Boxes(), "");
        ASSERT_TRUE(IsSourceFileOpen());
        EXPECT_EQ(Text(dialog), path + " - Salvorin");
    }

    // What the user does to say how the file was recorded, and what the window then shows.
    void StateFormat()
    {
        const Format& f = GetParam();
        HWND rate = Item(IDC_RATE);
        if (f.typed) {
            UserTypeComboText(rate, std::to_string(f.rate).c_str());
        } else {
            // The row whose text is the rate, found as the user finds it: by reading the list.
            int row = -1;
            const auto rows = static_cast<int>(SendMessageA(rate, CB_GETCOUNT, 0, 0));
            for (int i = 0; i < rows && row < 0; ++i) {
                char text[16] = "";
                SendMessageA(rate, CB_GETLBTEXT, static_cast<WPARAM>(i),
                             reinterpret_cast<LPARAM>(text));
                row = std::to_string(f.rate) == text ? i : -1;
            }
            ASSERT_GE(row, 0);
            UserPickComboRow(rate, row);
        }
        UserClick(Item(f.bits == 8 ? IDC_8BIT : IDC_16BIT));
        UserClick(Item(f.channels == 1 ? IDC_MONO : IDC_STEREO));
        EXPECT_EQ(Text(rate), std::to_string(f.rate));
        EXPECT_TRUE(Checked(f.bits == 8 ? IDC_8BIT : IDC_16BIT));
        EXPECT_FALSE(Checked(f.bits == 8 ? IDC_16BIT : IDC_8BIT));
        EXPECT_TRUE(Checked(f.channels == 1 ? IDC_MONO : IDC_STEREO));
        EXPECT_FALSE(Checked(f.channels == 1 ? IDC_STEREO : IDC_MONO));
        EXPECT_FALSE(IsWindowVisible(Item(IDC_INVALID_RATE)));
        // Two and a half seconds: only a program that took the format shows two whole ones.
        EXPECT_EQ(Text(Item(IDC_DURATION)), "0:00:02");
    }

    void PlayToTheEnd()
    {
        UserClick(Item(IDC_PLAY));
        ASSERT_TRUE(IsPlaying());
        for (int round = 0; round < 200000 && IsPlaying(); ++round) {
            PumpMessages();
            usleep(200);
        }
        ASSERT_FALSE(IsPlaying());
        EXPECT_EQ(Boxes(), "");
        EXPECT_TRUE(IsWindowEnabled(Item(IDC_PLAY)));
        EXPECT_FALSE(IsWindowEnabled(Item(IDC_STOP)));
    }

    // The texts of the message boxes shown so far, one a line.
    static std::string Boxes()
    {
        std::string texts;
        for (const MessageBoxRecord& box : MessageBoxLog()) {
            texts += box.text + "\n";
        }
        return texts;
    }

    void ExpectCreatedBox(const std::string& path)
    {
        ASSERT_FALSE(MessageBoxLog().empty());
        EXPECT_EQ(MessageBoxLog().back().text, "File " + path + " is successfully created.");
        EXPECT_EQ(Text(dialog), "Salvorin");
        EXPECT_FALSE(IsSourceFileOpen());
    }

    void SaveAs(const std::string& target)
    {
        FileDialogAnswer answer;
        answer.choose = true;
        answer.path = target;
        FileDialogScriptSet({answer});
        MessageBoxScriptSet({{IDOK, nullptr}});
        MessageBoxLogClear();
        UserChooseMenuItem(dialog, IDM_SAVE_AS);
        EXPECT_EQ(MessageBoxLog().size(), 1u) << Boxes();
        ExpectCreatedBox(target);
    }

    void SaveInPlace(const std::string& target)
    {
        FileDialogAnswer answer;
        answer.choose = true;
        answer.path = target;
        FileDialogScriptSet({answer});
        MessageBoxScriptSet({{IDYES, nullptr}, {IDOK, nullptr}});
        MessageBoxLogClear();
        UserChooseMenuItem(dialog, IDM_SAVE_IN_PLACE);
        EXPECT_EQ(MessageBoxLog().size(), 2u) << Boxes();
        ExpectCreatedBox(target);
    }

    // Everything the user does, from inside the main dialog's own loop.
    void DoTheJob()
    {
        Open(source);
        ASSERT_FALSE(HasFatalFailure());
        StateFormat();
        ASSERT_FALSE(HasFatalFailure());
        PlayToTheEnd();
        ASSERT_FALSE(HasFatalFailure());
        SaveAs(savedAs);
        ASSERT_FALSE(HasFatalFailure());
        Open(copy);
        ASSERT_FALSE(HasFatalFailure());
        StateFormat();
        SaveInPlace(savedInPlace);
    }

    // The bytes the device played, which must be the data with nothing but silence around
    // it: SDL plays silence while the device waits for its first buffer and its close. The
    // tune itself starts at a zero crossing, so the data's own leading silence is allowed
    // for when lining the two up.
    void ExpectPlayedTheData()
    {
        const std::string bytes = ReadWholeFile(played);
        const char silence = GetParam().bits == 8 ? '\x80' : '\0';
        const auto isSilence = [silence](char c) { return c == silence; };
        const std::string pcm(data.begin(), data.end());
        const size_t playedLead = LeadingSilence(bytes, silence);
        const size_t dataLead = LeadingSilence(pcm, silence);
        ASSERT_GE(playedLead, dataLead);
        const size_t start = playedLead - dataLead;
        ASSERT_GE(bytes.size(), start + pcm.size()) << "played " << bytes.size() << " bytes";
        EXPECT_TRUE(bytes.compare(start, pcm.size(), pcm) == 0) << "the played bytes differ";
        EXPECT_TRUE(std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(start + pcm.size()),
                                bytes.end(), isSilence))
            << "more than the data played";
    }

    // Both readers, through the checker; a missing python3 or sox fails the test.
    void ExpectReadersAgree(const std::string& wav)
    {
        const Format& f = GetParam();
        const std::string checker = (fs::path(__FILE__).parent_path() / "check_wav.py").string();
        std::string output;
        const std::string command = "python3 " + Quoted(checker) + " " + Quoted(wav) + " " +
                                    Quoted(expected) + " " + std::to_string(f.rate) + " " +
                                    std::to_string(f.bits) + " " + std::to_string(f.channels);
        const int status = RunCommand(command, &output);
        const bool agreed = status == 0 && output.find("wave: {") != std::string::npos &&
                            output.find("sox: {") != std::string::npos &&
                            output.find("both readers agree") != std::string::npos;
        EXPECT_TRUE(agreed) << wav << ": exit status " << status << "\n" << output;
    }

    HWND dialog = nullptr;
    std::vector<unsigned char> data;
    std::string source, copy, expected, played;
    std::string savedAs = temp.file("rec0001.wav");
    std::string savedInPlace = temp.file("rec0002.wav");
};

TEST_P(WholeJobTest, OpenStateFormatPlaySaveAsAndSaveInPlace)
{
    Generate();
    ASSERT_FALSE(HasFatalFailure());
    const std::string sourceBytes = ReadWholeFile(source);

    OnNextModalLoop([this](HWND main) {
        dialog = main;
        DoTheJob();
        // Exit as the user would; a failure above may have left a file open or playing.
        MessageBoxScriptSet({{IDYES, nullptr}});
        UserChooseMenuItem(main, IDM_EXIT);
        for (int round = 0; round < 1000 && IsWindow(main) && IsPlaying(); ++round) {
            PumpMessages();
            usleep(1000);
        }
        if (HasFailure()) {
            EndDialog(main, 99); // never left running by a failed step
        }
    });
    const INT_PTR result =
        DialogBoxParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc, 0);
    EXPECT_EQ(result, 0);
    ASSERT_FALSE(HasFatalFailure());

    ExpectPlayedTheData();
    // Save as leaves its source as it was; Save in place renamed the copy.
    EXPECT_EQ(ReadWholeFile(source), sourceBytes);
    EXPECT_FALSE(fs::exists(copy));
    // The same data and format make the same file either way.
    const std::string wav = ReadWholeFile(savedAs);
    EXPECT_EQ(wav.size(), ReservedHeaderSize + data.size());
    EXPECT_EQ(ReadWholeFile(savedInPlace), wav);

    ExpectReadersAgree(savedAs);
    ExpectReadersAgree(savedInPlace);
}

INSTANTIATE_TEST_SUITE_P(EightFormatsAtTwoRates, WholeJobTest,
                         ::testing::Values(Format{8, 1, 8000, false}, Format{8, 2, 8000, false},
                                           Format{16, 1, 8000, false}, Format{16, 2, 8000, false},
                                           Format{8, 1, 44100, true}, Format{8, 2, 44100, true},
                                           Format{16, 1, 44100, true}, Format{16, 2, 44100, true}),
                         Name);

} // namespace
