// Wave-out audio calls of the Win32-style API (types and codes are in win32.h).
#pragma once

typedef UINT_PTR DWORD_PTR;
typedef HWAVEOUT* LPHWAVEOUT;
typedef const WAVEFORMATEX* LPCWAVEFORMATEX;

#define CALLBACK_NULL 0x00000000L
#define CALLBACK_TYPEMASK 0x00070000L
#define WAVE_FORMAT_QUERY 0x0001

// Opens the default output (WAVE_MAPPER, or device 0) for a PCM format: 1 or 2 channels,
// 8-bit unsigned or 16-bit signed little-endian samples, 8000 to 99999 frames a second.
// With CALLBACK_WINDOW every buffer that comes back is posted to the window `callback` as
// MM_WOM_DONE (wParam the device, lParam the header, WHDR_DONE already set). With
// WAVE_FORMAT_QUERY only the format is checked. No device or audio server gives
// MMSYSERR_NODRIVER; a format that cannot be played gives WAVERR_BADFORMAT.
MMRESULT waveOutOpen(LPHWAVEOUT device, UINT deviceId, LPCWAVEFORMATEX format, DWORD_PTR callback,
                     DWORD_PTR instance, DWORD flags);
MMRESULT waveOutPrepareHeader(HWAVEOUT device, LPWAVEHDR header, UINT size);
// Appends a prepared header to the device's queue; buffers play in the order written.
MMRESULT waveOutWrite(HWAVEOUT device, LPWAVEHDR header, UINT size);
// Stops the sound at once and returns every queued header, each with its own MM_WOM_DONE.
MMRESULT waveOutReset(HWAVEOUT device);
// WAVERR_STILLPLAYING while the header is queued.
MMRESULT waveOutUnprepareHeader(HWAVEOUT device, LPWAVEHDR header, UINT size);
// WAVERR_STILLPLAYING while any header is queued.
MMRESULT waveOutClose(HWAVEOUT device);

// A device's position (waveOutGetPosition): the caller sets wType to the unit it wants;
// a device that cannot give that unit answers in one it can and says so in wType.
#define TIME_MS 0x0001
#define TIME_SAMPLES 0x0002
#define TIME_BYTES 0x0004
struct MMTIME {
    UINT wType;
    union {
        DWORD ms;
        DWORD sample;
        DWORD cb;
        DWORD ticks;
    } u;
};
typedef MMTIME* LPMMTIME;
// How much of what was written the device has played, counted from the open or from the
// last waveOutReset (which sets it back to 0); a buffer that comes back has been taken by
// the device, which may still be playing its end. TIME_BYTES and TIME_SAMPLES are offered
// (the count wraps at 2^32 of its unit); any other unit is answered in TIME_BYTES.
// MMSYSERR_INVALHANDLE for a device that is not open, MMSYSERR_INVALPARAM for a null
// record or a size short of MMTIME.
MMRESULT waveOutGetPosition(HWAVEOUT device, LPMMTIME time, UINT size);
