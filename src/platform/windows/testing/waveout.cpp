// The wave-out calls' fault points, and the controllable test device: with the test device
// chosen, waveOutOpen opens one on the queue both flavours share (common/waveout_queue.cpp,
// testing/waveout_test_device.cpp), whose buffers play only when a test releases them, so
// every order of completions is reproducible. Every other device is winmm's.
#include "platform/testing/waveout_test_device.h"
#include "platform/windows/testing/wrap.h"

namespace {

SEAM_REAL_ENTRY(waveOutOpen)
SEAM_REAL_ENTRY(waveOutPrepareHeader)
SEAM_REAL_ENTRY(waveOutWrite)
SEAM_REAL_ENTRY(waveOutReset)
SEAM_REAL_ENTRY(waveOutUnprepareHeader)
SEAM_REAL_ENTRY(waveOutClose)
SEAM_REAL_ENTRY(waveOutGetPosition)

#define WAVE_FAULT(name)                                                                           \
    DWORD code = 0;                                                                                \
    if (FaultShouldFail(name, &code)) {                                                            \
        return static_cast<MMRESULT>(code);                                                        \
    }

MMRESULT WINAPI SeamOpen(LPHWAVEOUT device, UINT id, LPCWAVEFORMATEX format, DWORD_PTR callback,
                         DWORD_PTR instance, DWORD flags)
{
    WAVE_FAULT("waveOutOpen")
    if (!waveout::TestDeviceChosen()) {
        return SEAM_REAL(decltype(&SeamOpen), waveOutOpen)(device, id, format, callback, instance,
                                                           flags);
    }
    return waveout::Open(device, id, format, callback, flags, &waveout::kTestBackend);
}

MMRESULT WINAPI SeamPrepare(HWAVEOUT device, LPWAVEHDR header, UINT size)
{
    WAVE_FAULT("waveOutPrepareHeader")
    return waveout::IsDevice(device)
               ? waveout::PrepareHeader(device, header, size)
               : SEAM_REAL(decltype(&SeamPrepare), waveOutPrepareHeader)(device, header, size);
}

MMRESULT WINAPI SeamWrite(HWAVEOUT device, LPWAVEHDR header, UINT size)
{
    WAVE_FAULT("waveOutWrite")
    return waveout::IsDevice(device)
               ? waveout::Write(device, header, size)
               : SEAM_REAL(decltype(&SeamWrite), waveOutWrite)(device, header, size);
}

MMRESULT WINAPI SeamGetPosition(HWAVEOUT device, LPMMTIME time, UINT size)
{
    WAVE_FAULT("waveOutGetPosition")
    return waveout::IsDevice(device)
               ? waveout::GetPosition(device, time, size)
               : SEAM_REAL(decltype(&SeamGetPosition), waveOutGetPosition)(device, time, size);
}

MMRESULT WINAPI SeamUnprepare(HWAVEOUT device, LPWAVEHDR header, UINT size)
{
    WAVE_FAULT("waveOutUnprepareHeader")
    return waveout::IsDevice(device)
               ? waveout::UnprepareHeader(device, header, size)
               : SEAM_REAL(decltype(&SeamUnprepare), waveOutUnprepareHeader)(device, header, size);
}

MMRESULT WINAPI SeamReset(HWAVEOUT device)
{
    WAVE_FAULT("waveOutReset")
    return waveout::IsDevice(device) ? waveout::Reset(device)
                                     : SEAM_REAL(decltype(&SeamReset), waveOutReset)(device);
}

MMRESULT WINAPI SeamClose(HWAVEOUT device)
{
    WAVE_FAULT("waveOutClose")
    return waveout::IsDevice(device) ? waveout::Close(device)
                                     : SEAM_REAL(decltype(&SeamClose), waveOutClose)(device);
}

} // namespace

SEAM_INSTALL(waveOutOpen, SeamOpen)
SEAM_INSTALL(waveOutPrepareHeader, SeamPrepare)
SEAM_INSTALL(waveOutWrite, SeamWrite)
SEAM_INSTALL(waveOutReset, SeamReset)
SEAM_INSTALL(waveOutUnprepareHeader, SeamUnprepare)
SEAM_INSTALL(waveOutClose, SeamClose)
SEAM_INSTALL(waveOutGetPosition, SeamGetPosition)
