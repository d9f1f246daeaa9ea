// The main dialog with a temporary file open, and what the save tests check about files,
// boxes and the window.
#pragma once

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "core/error_info.h"
#include "core/wav_header.h"
#include "playback/playback_state.h"
#include "save/save_as.h"
#include "support/main_dialog_fixture.h"
#include "ui/open_source_file.h"

// Holds the copy worker just before its nth `function` call from now until `until` is true,
// by default until the user's Cancel has reached it (bounded, so a release that never comes
// fails the test instead of hanging it).
inline void HoldCopy(
    const char* function, int nth,
    std::function<bool()> until = [] { return CopyCancelFlag.load() != 0; })
{
    FaultBeforeCall(function, nth, [until] {
        for (int i = 0; i < 20000 && !until(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
}

class SaveTest : public MainDialogTest {
  protected:
    void TearDown() override
    {
        WaveOutUseTestDevice(false);
        MainDialogTest::TearDown();
    }

    // The first `size` bytes of a file (all of them by default). On Windows the program's
    // share mode 0 refuses every other opener, so the open source is read through the
    // program's own handle, mapped (which neither moves its file pointer nor counts as one of
    // its calls).
    std::string Contents(const std::string& path, size_t size = SIZE_MAX) const
    {
#ifdef _WIN32
        if (IsSourceFileOpen() && path == SourceFile.path) {
            return ReadHeldSource(size);
        }
#endif
        std::ifstream file(path, std::ios::binary);
        if (size == SIZE_MAX) {
            return std::string(std::istreambuf_iterator<char>(file),
                               std::istreambuf_iterator<char>());
        }
        std::string bytes(size, '\0');
        file.read(bytes.data(), static_cast<std::streamsize>(size));
        bytes.resize(static_cast<size_t>(file.gcount()));
        return bytes;
    }

    // Opens a generated file and remembers its bytes (the first MiB of a big one) and the
    // WAV file it should become.
    std::string OpenSource(const std::string& name, uint64_t size)
    {
        sourcePath = temp.makeFile(name, size);
        // Read before the program opens it: on Windows its share mode 0 refuses every other
        // opener, this process's readers included.
        sourceBytes =
            size <= (64u << 20) ? ReadWholeFile(sourcePath) : Contents(sourcePath, 1u << 20);
        OpenSourceFile(sourcePath.c_str());
        EXPECT_TRUE(IsSourceFileOpen());
        WavHeader header;
        BuildWavHeader(&header);
        headerBytes.assign(reinterpret_cast<const char*>(header.bytes), WavHeaderSize);
        return sourcePath;
    }

    std::string ExpectedWav() const
    {
        return headerBytes +
               sourceBytes.substr(WavHeaderSize, SourceFile.effectiveLength - WavHeaderSize);
    }

    static FileDialogAnswer Choose(const std::string& path)
    {
        FileDialogAnswer answer;
        answer.choose = !path.empty();
        answer.path = path;
        return answer;
    }

    // Starts playback on the test device, whose buffers come back only when released.
    void StartPlaying()
    {
        WaveOutUseTestDevice(true);
        Command(IDC_PLAY);
        ASSERT_TRUE(IsPlaying());
    }

    // Delivers messages until the engine has closed the device and the command it re-posts
    // has run.
    void DrainPlayback()
    {
        for (int i = 0; i < 100 && (IsPlaying() || PendingCommand != 0); ++i) {
            PumpMessages();
        }
        EXPECT_FALSE(IsPlaying());
        EXPECT_EQ(PendingCommand, 0u);
    }

    void Command(UINT id)
    {
        SendMessageA(dialog, WM_COMMAND, id, 0);
    }

    static bool Exists(const std::string& path)
    {
        std::error_code error;
        return std::filesystem::exists(std::filesystem::symlink_status(path, error));
    }

    static uint64_t SizeOf(const std::string& path)
    {
        std::error_code error;
        const uint64_t size = std::filesystem::file_size(path, error);
        return error ? UINT64_MAX : size;
    }

    // The hidden name a copy to `target` is written under until it is complete.
    static std::string CopyBeside(const std::string& target, int attempt = 1)
    {
        const std::filesystem::path path(target);
        return (path.parent_path() /
                ("." + path.filename().string() + "." + std::to_string(attempt) + ".part"))
            .string();
    }

    // Waits, without delivering any message, until the file has at least `size` bytes.
    static bool WaitForSize(const std::string& path, uint64_t size)
    {
        for (int i = 0; i < 60000; ++i) {
            const uint64_t now = SizeOf(path);
            if (now != UINT64_MAX && now >= size) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }

    // The platform's text for an error code, as an error box shows it.
    static std::string ErrorText(DWORD code)
    {
        ErrorInfo error;
        Fill(&error, ErrorKindSystem, code, "", nullptr);
        return error.messageText;
    }

    std::vector<MessageBoxRecord> Boxes() const
    {
        return MessageBoxLog();
    }

    void ExpectSourceStillOpen()
    {
        EXPECT_TRUE(IsSourceFileOpen());
        EXPECT_EQ(Text(dialog), sourcePath + " - Salvorin");
        EXPECT_TRUE(Enabled(IDC_PLAY));
        EXPECT_EQ(ReadOpenSource(), sourceBytes);
    }

#ifdef _WIN32
    static std::string ReadHeldSource(size_t limit)
    {
        std::string bytes;
        LARGE_INTEGER size = {};
        if (!GetFileSizeEx(SourceFile.handle, &size)) {
            return bytes;
        }
        const size_t length = std::min<uint64_t>(limit, static_cast<uint64_t>(size.QuadPart));
        HANDLE mapping =
            CreateFileMappingA(SourceFile.handle, nullptr, PAGE_READONLY, 0, 0, nullptr);
        if (mapping == nullptr) {
            return bytes;
        }
        const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, length);
        if (view != nullptr) {
            bytes.assign(static_cast<const char*>(view), length);
            UnmapViewOfFile(view);
        }
        CloseHandle(mapping);
        return bytes;
    }
#endif
    std::string ReadOpenSource() const
    {
        return Contents(sourcePath);
    }

    void ExpectNoFileWindow()
    {
        EXPECT_FALSE(IsSourceFileOpen());
        EXPECT_EQ(Text(dialog), "Salvorin");
        EXPECT_EQ(Text(IDC_FILE_SIZE), "0");
        EXPECT_EQ(Text(IDC_DURATION), "0:00:00");
        EXPECT_FALSE(Enabled(IDC_PLAY));
        EXPECT_FALSE(Visible(IDC_OVERSIZE));
        HMENU menu = GetMenu(dialog);
        SendMessageA(dialog, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
        for (UINT id : {IDM_SAVE_AS, IDM_SAVE_IN_PLACE, IDM_PLAY}) {
            EXPECT_NE(GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED, 0u) << id;
        }
    }

    void ExpectCreatedBox(const std::string& path)
    {
        ASSERT_FALSE(MessageBoxLog().empty());
        EXPECT_EQ(LastBox().text, "File " + path + " is successfully created.");
        EXPECT_EQ(LastBox().type, static_cast<UINT>(MB_ICONINFORMATION));
        EXPECT_EQ(LastBox().owner, dialog);
    }

    std::string sourcePath;
    std::string sourceBytes;
    std::string headerBytes;
};
