// Internal: reader of a Wine prefix's user hive (user.reg), the text file in which a program
// running under Wine keeps its HKEY_CURRENT_USER settings. Read only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Bounds that keep a hostile or broken file cheap: a file or a line beyond them is not a
// hive; a value beyond its bound is left out as if it were not there.
constexpr size_t HiveMaxFileBytes = 64u << 20;
constexpr size_t HiveMaxLineBytes = 1u << 20;
constexpr size_t HiveMaxValueBytes = 1u << 20;

struct HiveValue {
    std::string name;                // UTF-8; "" is the default value (`@`)
    uint32_t type;                   // REG_* code
    std::vector<unsigned char> data; // as RegQueryValueExA returns it (strings as UTF-8)
};

struct HiveKey {
    bool exists = false; // a section of its own, or one of a subkey below it
    std::vector<HiveValue> values;
};

// Parses hive text and collects the key `keyPath`: UTF-8 components separated by one
// backslash, relative to HKEY_CURRENT_USER ("" is that root). Returns false, leaving `key`
// empty, when the text is not a well-formed hive (wrong first line, a byte Wine never
// writes, a malformed key or value line, a missing final newline, a line too long).
bool ParseHiveKey(const char* text, size_t size, const std::string& keyPath, HiveKey* key);

// Reads the current user hive: $WINEPREFIX/user.reg, or $HOME/.wine/user.reg. False when
// there is none, it cannot be read, or it is larger than HiveMaxFileBytes.
bool ReadUserHive(std::string* text);

// The value named `name` (null or "" for the default), or null.
const HiveValue* FindHiveValue(const HiveKey& key, const char* name);

// Key, value and file names compared as Wine compares them: without regard to case
// (ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic letters). Both are UTF-8.
bool NamesEqualNoCase(const std::string& a, const std::string& b);
