// Test seams of the wave-out layer.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/win32.h"

// With true, every later waveOutOpen opens a test device instead of an SDL one: nothing
// plays by itself; a test releases the queued buffers one by one. Also clears the record
// of played bytes. Faults injected with FaultInject apply to both kinds of device.
void WaveOutUseTestDevice(bool use);
// Whether a test device is open now, and the format it was last opened with.
bool TestDeviceIsOpen();
WAVEFORMATEX TestDeviceFormat();
// Headers queued on the open test device and not yet returned.
int TestDeviceQueuedCount();
// Plays the first `count` queued buffers to their end: each is recorded as played and
// comes back as a real one would (WHDR_DONE, then MM_WOM_DONE posted to the callback
// window; PumpMessages delivers it). Returns how many came back.
int TestDeviceCompleteNext(int count = 1);
// Asks the open test device for one period of `bytes`, as SDL asks its device, and returns
// what it got: the queue's next bytes, then silence. Headers that earlier periods took
// whole come back first (as from TestDeviceCompleteNext, but not recorded as played).
std::vector<unsigned char> TestDevicePullPeriod(size_t bytes);
// From now on the test device's waveOutGetPosition reports this many bytes fewer than it
// has played (never below 0): a device whose sound is still on its way to the speaker, or
// with UINT64_MAX one that never reports any progress. WaveOutUseTestDevice sets it to 0.
void TestDeviceSetPositionLag(uint64_t bytes);
// The bytes of every buffer that played to its end since WaveOutUseTestDevice(true), in
// order. Buffers returned by waveOutReset are not in it.
std::vector<unsigned char> TestDevicePlayedBytes();
