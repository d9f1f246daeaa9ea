// The waveOut* calls: a test's fault first, then the queue (common/waveout_queue.cpp) on
// the backend this library chose.
#include "platform/common/waveout_queue.h"
#include "platform/linux/seam_points.h"

namespace {

// The injected failure of `call`, or MMSYSERR_NOERROR when it goes ahead.
MMRESULT Fault(const char* call)
{
    DWORD code = 0;
    return FaultShouldFail(call, &code) ? static_cast<MMRESULT>(code) : MMSYSERR_NOERROR;
}

} // namespace

MMRESULT waveOutOpen(LPHWAVEOUT handle, UINT deviceId, LPCWAVEFORMATEX format, DWORD_PTR callback,
                     DWORD_PTR instance, DWORD flags)
{
    (void)instance;
    if (const MMRESULT failed = Fault("waveOutOpen")) {
        if (handle != nullptr) {
            *handle = nullptr;
        }
        return failed;
    }
    return waveout::Open(handle, deviceId, format, callback, flags, waveout::ChosenBackend());
}

MMRESULT waveOutPrepareHeader(HWAVEOUT handle, LPWAVEHDR header, UINT size)
{
    const MMRESULT failed = Fault("waveOutPrepareHeader");
    return failed ? failed : waveout::PrepareHeader(handle, header, size);
}

MMRESULT waveOutWrite(HWAVEOUT handle, LPWAVEHDR header, UINT size)
{
    const MMRESULT failed = Fault("waveOutWrite");
    return failed ? failed : waveout::Write(handle, header, size);
}

MMRESULT waveOutReset(HWAVEOUT handle)
{
    const MMRESULT failed = Fault("waveOutReset");
    return failed ? failed : waveout::Reset(handle);
}

MMRESULT waveOutGetPosition(HWAVEOUT handle, LPMMTIME time, UINT size)
{
    const MMRESULT failed = Fault("waveOutGetPosition");
    return failed ? failed : waveout::GetPosition(handle, time, size);
}

MMRESULT waveOutUnprepareHeader(HWAVEOUT handle, LPWAVEHDR header, UINT size)
{
    const MMRESULT failed = Fault("waveOutUnprepareHeader");
    return failed ? failed : waveout::UnprepareHeader(handle, header, size);
}

MMRESULT waveOutClose(HWAVEOUT handle)
{
    const MMRESULT failed = Fault("waveOutClose");
    return failed ? failed : waveout::Close(handle);
}
