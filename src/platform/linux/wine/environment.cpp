// Environment expansion as the recorder sees it when it runs under Wine: the prefix's own
// variables (the hive's [Volatile Environment] and [Environment] keys, and the profile
// directory Wine derives from the user's name) come before the process environment, which
// on Linux knows nothing of %TEMP% inside the prefix.
#include <strings.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/linux/posix/utf8.h"
#include "platform/linux/seam_points.h"
#include "platform/linux/wine/wine_hive.h"
#include "platform/win32.h"

extern char** environ;

namespace {

// Win32 limits an environment block entry, and so an expansion, to 32767 characters.
constexpr size_t MaxExpandedLength = 32767;
// Variables that refer to each other are expanded this deep, then left as they are.
constexpr int MaxNesting = 8;

struct PrefixVariable {
    std::string name;
    std::string value;
    bool expand; // REG_EXPAND_SZ: references inside are expanded when it is used
};

// The prefix's variables in the order they are looked up: the session's volatile values
// override the user's stored ones, as at a Windows logon.
std::vector<PrefixVariable> LoadPrefixVariables()
{
    std::vector<PrefixVariable> variables;
    std::string text;
    if (!ReadUserHive(&text)) {
        return variables;
    }
    for (const char* keyPath : {"Volatile Environment", "Environment"}) {
        HiveKey key;
        if (!ParseHiveKey(text.data(), text.size(), keyPath, &key)) {
            return variables;
        }
        for (const HiveValue& value : key.values) {
            if (value.type != REG_SZ && value.type != REG_EXPAND_SZ) {
                continue;
            }
            const auto* bytes = reinterpret_cast<const char*>(value.data.data());
            variables.push_back({value.name, std::string(bytes, strnlen(bytes, value.data.size())),
                                 value.type == REG_EXPAND_SZ});
        }
    }
    // Wine's profile directory, for a prefix whose hive does not carry it.
    const char* user = getenv("USER");
    if (user != nullptr && user[0] != '\0') {
        variables.push_back({"USERPROFILE", std::string("C:\\users\\") + user, false});
    }
    return variables;
}

// The process environment, exact name first; Windows names are not case-sensitive.
const char* ProcessVariable(const std::string& name)
{
    if (const char* value = getenv(name.c_str())) {
        return value;
    }
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const char* equals = strchr(*entry, '=');
        if (equals != nullptr && static_cast<size_t>(equals - *entry) == name.size() &&
            strncasecmp(*entry, name.c_str(), name.size()) == 0) {
            return equals + 1;
        }
    }
    return nullptr;
}

class Expander {
  public:
    explicit Expander(std::vector<PrefixVariable> prefix) : prefix_(std::move(prefix)) {}

    // Appends `source` expanded to `out`; false when the result or the work outgrows its
    // bound (variables can refer to each other many times over).
    bool Expand(const char* source, size_t length, int depth, std::string* out)
    {
        size_t i = 0;
        while (i < length) {
            const char* percent = static_cast<const char*>(memchr(source + i, '%', length - i));
            const size_t literal = (percent == nullptr ? length : percent - source) - i;
            if (!Append(source + i, literal, out)) {
                return false;
            }
            i += literal;
            if (i == length) {
                break;
            }
            const auto* close =
                static_cast<const char*>(memchr(source + i + 1, '%', length - i - 1));
            if (close == nullptr) {
                return Append(source + i, length - i, out); // no closing %: as written
            }
            const std::string name(source + i + 1, close);
            const Lookup found = Substitute(name, depth, out);
            if (found == Lookup::TooLarge) {
                return false;
            }
            if (found == Lookup::Unknown) {
                // The opening % and the name stay; the closing % may open the next one.
                if (!Append(source + i, name.size() + 1, out)) {
                    return false;
                }
                i += name.size() + 1;
                continue;
            }
            i = static_cast<size_t>(close - source) + 1;
        }
        return true;
    }

  private:
    enum class Lookup { Found, Unknown, TooLarge };

    static constexpr int MaxSubstitutions = 4096;

    static bool Append(const char* text, size_t length, std::string* out)
    {
        if (out->size() + length > MaxExpandedLength) {
            return false;
        }
        out->append(text, length);
        return true;
    }

    Lookup Substitute(const std::string& name, int depth, std::string* out)
    {
        if (name.empty() || name.find('=') != std::string::npos) {
            return Lookup::Unknown;
        }
        if (++substitutions_ > MaxSubstitutions) {
            return Lookup::TooLarge;
        }
        for (const PrefixVariable& variable : prefix_) {
            if (!NamesEqualNoCase(variable.name, name)) {
                continue;
            }
            if (variable.expand && depth < MaxNesting) {
                std::string expanded;
                if (!Expand(variable.value.data(), variable.value.size(), depth + 1, &expanded) ||
                    !Append(expanded.data(), expanded.size(), out)) {
                    return Lookup::TooLarge;
                }
                return Lookup::Found;
            }
            return Append(variable.value.data(), variable.value.size(), out) ? Lookup::Found
                                                                             : Lookup::TooLarge;
        }
        const char* value = ProcessVariable(name);
        if (value == nullptr) {
            return Lookup::Unknown;
        }
        return Append(value, strlen(value), out) ? Lookup::Found : Lookup::TooLarge;
    }

    std::vector<PrefixVariable> prefix_;
    int substitutions_ = 0;
};

} // namespace

DWORD ExpandEnvironmentStringsA(LPCSTR source, LPSTR destination, DWORD size)
{
    DWORD code = 0;
    if (FaultShouldFail("ExpandEnvironmentStringsA", &code)) {
        SetLastError(code);
        return 0;
    }
    if (source == nullptr || (destination == nullptr && size != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const size_t length = strnlen(source, MaxExpandedLength + 1);
    Expander expander(LoadPrefixVariables());
    std::string expanded;
    if (length > MaxExpandedLength || !expander.Expand(source, length, 0, &expanded)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    const auto needed = static_cast<DWORD>(expanded.size() + 1);
    if (size == 0) {
        return needed;
    }
    // Too small a buffer still ends in a NUL, cut between characters.
    const size_t keep = needed <= size ? expanded.size() : Utf8SafeCut(expanded.c_str(), size - 1);
    memcpy(destination, expanded.data(), keep);
    destination[keep] = '\0';
    return needed;
}
