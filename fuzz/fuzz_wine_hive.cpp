// The user hive reader must answer every input, however broken, without a crash or a
// hang: a prefix's user.reg is a file anyone can have edited or cut short.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/linux/wine/wine_hive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto* text = reinterpret_cast<const char*>(data);
    HiveKey key;
    // The key the program reads, one that exists in every Wine prefix, and the root.
    for (const char* path : {"Software\\Vintrel\\Quorbel", "Environment", ""}) {
        if (ParseHiveKey(text, size, path, &key)) {
            for (const HiveValue& value : key.values) {
                FindHiveValue(key, value.name.c_str());
            }
        }
    }
    // A key path taken from the input itself, with whatever bytes it holds.
    const size_t split = size < 64 ? size : 64;
    ParseHiveKey(text + split, size - split, std::string(text, split), &key);
    NamesEqualNoCase(std::string(text, split / 2),
                     std::string(text + split / 2, split - split / 2));
    return 0;
}
