// The engine's buffers come from malloc; the test program is linked with --wrap=malloc so
// that a test can make one allocation of a given size fail.
#pragma once

#include <cstddef>

// The nth allocation of exactly `size` bytes from now returns null.
void FailMallocOfSize(size_t size, int nth);
