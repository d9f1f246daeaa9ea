// The controllable wave-out test device as a backend of the queue, for the testing library's
// choice of backend on each flavour.
#pragma once

#include "platform/common/waveout_queue.h"

namespace waveout {

extern const Backend kTestBackend;
// Whether a test chose the test device for the next open (WaveOutUseTestDevice).
bool TestDeviceChosen();

} // namespace waveout
