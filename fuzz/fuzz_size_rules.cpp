// The open's size rules decide from a 64-bit size alone which part of a file is used: the
// invariants every reader of the data relies on must hold for every size a file can have.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/source_file.h"

namespace {

void Check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 8) {
        return 0;
    }
    uint64_t fileSize = 0;
    for (int i = 0; i < 8; ++i) {
        fileSize = (fileSize << 8) | data[i];
    }
    // A file's size is an off_t: at most 2^63 - 1 bytes.
    fileSize &= 0x7FFFFFFFFFFFFFFFull;
    // Small files and the 4 GiB boundary are where the rules turn; let the input reach them.
    if (size > 8) {
        switch (data[8] % 3) {
        case 0:
            fileSize %= 256;
            break;
        case 1:
            fileSize = 0xFFFFFFFCull - 128 + fileSize % 256;
            break;
        default:
            break;
        }
    }
    const DWORD low = static_cast<DWORD>(fileSize);
    const DWORD high = static_cast<DWORD>(fileSize >> 32);
    uint32_t effective = 0xDEADBEEF;
    uint32_t oversize = 0xDEADBEEF;
    const SizeVerdict verdict = ApplySizeRules(low, high, &effective, &oversize);

    if (fileSize < MinimumFileSize) {
        Check(verdict == SizeTooSmall);
        return 0;
    }
    Check(verdict == SizeAccepted);
    Check(oversize == (fileSize > MaximumEffectiveLength ? 1u : 0u));
    Check(effective % 4 == 0);
    Check(effective >= MinimumFileSize);
    Check(effective <= MaximumEffectiveLength);
    Check(effective <= fileSize);
    // Only the 0 to 3 bytes of a partial frame are left over, unless the file was cut.
    Check(oversize == 1 || fileSize - effective < 4);
    Check(oversize == 0 || effective == MaximumEffectiveLength);
    return 0;
}
