// The release program's wave-out backend: the sound library's, always. The testing library
// links its own choice instead (testing/waveout_test_device.cpp).
#include "platform/common/waveout_queue.h"

namespace waveout {

const Backend* ChosenBackend()
{
    return &kSoundLibraryBackend;
}

} // namespace waveout
