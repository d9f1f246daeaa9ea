// The wave-out calls driven from a dialog that records each MM_WOM_DONE: three buffers of
// 800, 1600 and 2400 bytes, on the test device or the sound library's.
#pragma once

#include <chrono>
#include <thread>

#include "playback/playback_fixture.h"

struct Completion {
    WPARAM device;
    WAVEHDR* header;
    DWORD flagsOnArrival;
};
inline std::vector<Completion> g_completions;

inline INT_PTR RecordingProc(HWND, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == MM_WOM_DONE) {
        auto* header = reinterpret_cast<WAVEHDR*>(lParam);
        g_completions.push_back({wParam, header, header->dwFlags});
        return TRUE;
    }
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

class WaveOutTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ModuleInstance = &ResourceModule;
        window = CreateDialogParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                    RecordingProc, 0);
        ASSERT_NE(window, nullptr);
        g_completions.clear();
        for (int i = 0; i < 3; ++i) {
            buffers[i].assign(800 * (i + 1), static_cast<char>(i + 1));
            headers[i] = {};
            headers[i].lpData = buffers[i].data();
            headers[i].dwBufferLength = static_cast<DWORD>(buffers[i].size());
        }
    }
    void TearDown() override { DestroyWindow(window); }

    MMRESULT Open(HWAVEOUT* device)
    {
        return waveOutOpen(device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(window), 0,
                           CALLBACK_WINDOW);
    }

    void PrepareAndWriteAll(HWAVEOUT device)
    {
        for (WAVEHDR& header : headers) {
            ASSERT_EQ(waveOutPrepareHeader(device, &header, sizeof header), 0u);
            ASSERT_EQ(waveOutWrite(device, &header, sizeof header), 0u);
        }
    }

    void PumpUntilCompletions(size_t count)
    {
        for (int round = 0; round < 100000 && g_completions.size() < count; ++round) {
            PumpMessages();
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        ASSERT_EQ(g_completions.size(), count);
    }

    // Each header back exactly once, in the order written, marked done on arrival.
    void ExpectEachBackOnceInOrder(HWAVEOUT device)
    {
        ASSERT_EQ(g_completions.size(), 3u);
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(g_completions[i].header, &headers[i]);
            EXPECT_EQ(g_completions[i].device, reinterpret_cast<WPARAM>(device));
            EXPECT_EQ(g_completions[i].flagsOnArrival & (WHDR_DONE | WHDR_INQUEUE),
                      static_cast<DWORD>(WHDR_DONE));
        }
    }

    void CloseAfterUnprepare(HWAVEOUT device)
    {
        for (WAVEHDR& header : headers) {
            EXPECT_EQ(waveOutUnprepareHeader(device, &header, sizeof header), 0u);
        }
        EXPECT_EQ(waveOutClose(device), 0u);
    }

    // The device's position in bytes; ~0u when the call fails.
    static DWORD PositionBytes(HWAVEOUT device)
    {
        MMTIME time = {};
        time.wType = TIME_BYTES;
        const MMRESULT asked = waveOutGetPosition(device, &time, sizeof time);
        EXPECT_EQ(time.wType, static_cast<UINT>(TIME_BYTES));
        return asked == MMSYSERR_NOERROR ? time.u.cb : ~0u;
    }

    HWND window = nullptr;
    WAVEFORMATEX format = {WAVE_FORMAT_PCM, 1, 8000, 16000, 2, 16, 0};
    std::vector<char> buffers[3];
    WAVEHDR headers[3];
};
