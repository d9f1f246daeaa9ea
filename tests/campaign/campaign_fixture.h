// The whole program's window with a file open, and the checks every fault shares: which
// box was shown, and what the user still has afterwards.
#pragma once

#include "support/save_fixture.h"

class CampaignTest : public SaveTest {
  protected:
    void TearDown() override
    {
        WaveOutUseTestDevice(false);
        SaveTest::TearDown();
    }

    // The text an error box shows for a code of the given kind.
    static std::string BoxText(int32_t kind, DWORD code)
    {
        ErrorInfo error;
        Fill(&error, kind, code, "", nullptr);
        return error.messageText;
    }

    // `fileType`: the save dialog's file type chosen (0 keeps the first).
    void SaveAs(const std::string& target, DWORD fileType = 0)
    {
        FileDialogAnswer answer = Choose(target);
        answer.filterIndex = fileType;
        FileDialogScriptSet({answer});
        MessageBoxScriptSet({{IDOK, nullptr}, {IDOK, nullptr}});
        Command(IDM_SAVE_AS);
    }

    void SaveInPlace(const std::string& target)
    {
        FileDialogScriptSet({Choose(target)});
        MessageBoxScriptSet({{IDYES, nullptr}, {IDOK, nullptr}});
        Command(IDM_SAVE_IN_PLACE);
    }

    // File > Open with a file already open: the dialog, then "close the current file?".
    void OpenAnother(const std::string& path)
    {
        FileDialogScriptSet({Choose(path)});
        MessageBoxScriptSet({{IDYES, nullptr}, {IDOK, nullptr}});
        Command(IDM_OPEN);
    }

    // Plays every queued buffer to its end until the device is closed.
    void PlayOut()
    {
        for (int i = 0; i < 50 && IsPlaying(); ++i) {
            TestDeviceCompleteNext(TestDeviceQueuedCount());
            PumpWhile([] { return PlaybackState.finishing != 0; });
        }
        EXPECT_FALSE(IsPlaying());
    }

    std::string Checksum(const std::string& path) const
    {
        // FNV-1a over the whole file, with its size: enough to see any changed byte.
        const std::string bytes = Contents(path);
        uint64_t hash = 14695981039346656037ull;
        for (unsigned char byte : bytes) {
            hash = (hash ^ byte) * 1099511628211ull;
        }
        return std::to_string(hash) + "/" + std::to_string(bytes.size());
    }

    // Boxes with an error icon, in order.
    std::vector<MessageBoxRecord> ErrorBoxes() const
    {
        std::vector<MessageBoxRecord> boxes;
        for (const MessageBoxRecord& box : MessageBoxLog()) {
            if ((box.type & 0xF0) == MB_ICONERROR) {
                boxes.push_back(box);
            }
        }
        return boxes;
    }
};
