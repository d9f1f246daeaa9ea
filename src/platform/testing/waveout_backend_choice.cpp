// The Linux testing library's choice of wave-out backend: the test device once a test asked
// for it (WaveOutUseTestDevice), else what the release program opens.
#include "platform/testing/waveout_test_device.h"

namespace waveout {

const Backend* ChosenBackend()
{
    return TestDeviceChosen() ? &kTestBackend : &kSoundLibraryBackend;
}

} // namespace waveout
