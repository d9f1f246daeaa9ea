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
