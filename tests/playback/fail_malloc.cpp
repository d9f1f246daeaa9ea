#include "playback/fail_malloc.h"

#include <atomic>

namespace {

std::atomic<size_t> g_size{0};
std::atomic<int> g_countdown{0};

} // namespace

extern "C" void* __real_malloc(size_t size);

extern "C" void* __wrap_malloc(size_t size)
{
    if (size != 0 && size == g_size.load() && g_countdown.fetch_sub(1) == 1) {
        g_size.store(0);
        return nullptr;
    }
    return __real_malloc(size);
}

void FailMallocOfSize(size_t size, int nth)
{
    g_countdown.store(nth);
    g_size.store(size);
}
