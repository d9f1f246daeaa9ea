// Reader of the Wine user hive text format. Wine writes pure ASCII: every character above
// 0x7F is a \x escape of a UTF-16 unit, so anything else is a broken or foreign file and is
// treated as no hive at all. Only the key asked for is kept; every other line is still
// parsed, so a damaged file is refused as a whole rather than half-read.
#include "platform/linux/wine/wine_hive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <unordered_map>
#include <utility>

#include "platform/win32.h"
#include "platform/linux/wine/wine_paths.h"

namespace {

constexpr char HiveSignature[] = "WINE REGISTRY Version 2";
constexpr uint32_t ReplacementCharacter = 0xFFFD;

// ---------------------------------------------------------------------------------------
// Text encodings

void AppendUtf8(uint32_t codePoint, std::string* out)
{
    if (codePoint < 0x80) {
        out->push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out->push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out->push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out->push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        out->push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

// UTF-16 units to UTF-8, NUL units included; a surrogate without its partner becomes
// U+FFFD, since UTF-8 cannot carry it.
void AppendUnitsUtf8(const std::u16string& units, size_t count, std::string* out)
{
    for (size_t i = 0; i < count; ++i) {
        const uint32_t unit = units[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < count && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            AppendUtf8(0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00), out);
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            AppendUtf8(ReplacementCharacter, out);
        } else {
            AppendUtf8(unit, out);
        }
    }
}

// The code point at *pos; a byte that does not start a valid sequence counts as one U+FFFD.
uint32_t NextCodePoint(const std::string& text, size_t* pos)
{
    const auto lead = static_cast<unsigned char>(text[*pos]);
    size_t length = 1;
    uint32_t codePoint = lead;
    uint32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        minimum = 0x10000;
    } else if (lead >= 0x80) {
        ++*pos;
        return ReplacementCharacter;
    }
    if (*pos + length > text.size()) {
        ++*pos;
        return ReplacementCharacter;
    }
    for (size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[*pos + i]);
        if ((next & 0xC0) != 0x80) {
            ++*pos;
            return ReplacementCharacter;
        }
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF ||
        (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        ++*pos;
        return ReplacementCharacter;
    }
    *pos += length;
    return codePoint;
}

// Lower case for the scripts a Windows user name or folder is likely to use; the process
// locale must not change how names compare.
uint32_t FoldCase(uint32_t c)
{
    if (c < 0x80) {
        return (c >= 'A' && c <= 'Z') ? c + 0x20 : c;
    }
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) {
        return c + 0x20;
    }
    if (c >= 0x100 && c <= 0x17F) {
        if (c == 0x178) {
            return 0xFF;
        }
        const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        const bool evenUpper =
            (c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
        if ((oddUpper && (c & 1) != 0) || (evenUpper && (c & 1) == 0)) {
            return c + 1;
        }
        return c;
    }
    if ((c >= 0x391 && c <= 0x3A9 && c != 0x3A2) || (c >= 0x410 && c <= 0x42F)) {
        return c + 0x20;
    }
    if (c >= 0x400 && c <= 0x40F) {
        return c + 0x50;
    }
    return c;
}

std::string FoldedName(const std::string& name)
{
    std::string folded;
    folded.reserve(name.size());
    size_t pos = 0;
    while (pos < name.size()) {
        AppendUtf8(FoldCase(NextCodePoint(name, &pos)), &folded);
    }
    return folded;
}

std::vector<std::string> SplitPath(const std::string& path)
{
    std::vector<std::string> components;
    if (path.empty()) {
        return components;
    }
    size_t start = 0;
    while (true) {
        const size_t separator = path.find('\\', start);
        if (separator == std::string::npos) {
            components.push_back(path.substr(start));
            return components;
        }
        components.push_back(path.substr(start, separator - start));
        start = separator + 1;
    }
}

// ---------------------------------------------------------------------------------------
// Parsing

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

const char* SkipBlanks(const char* s, const char* end)
{
    while (s < end && IsBlank(*s)) {
        ++s;
    }
    return s;
}

bool StartsWith(const char* s, const char* end, const char* prefix)
{
    const size_t length = strlen(prefix);
    return static_cast<size_t>(end - s) >= length && memcmp(s, prefix, length) == 0;
}

// Up to `maxDigits` hex digits at *s into *value; false when there is none.
bool ParseHexNumber(const char** s, const char* end, int maxDigits, uint32_t* value)
{
    int digits = 0;
    uint32_t result = 0;
    while (digits < maxDigits && *s < end && HexDigit(**s) >= 0) {
        result = (result << 4) | static_cast<uint32_t>(HexDigit(**s));
        ++*s;
        ++digits;
    }
    *value = result;
    return digits > 0;
}

// The unit a C escape letter stands for, or -1.
int ControlEscape(char letter)
{
    static const char letters[] = "abefnrtv";
    static const char16_t units[] = {0x07, 0x08, 0x1B, 0x0C, 0x0A, 0x0D, 0x09, 0x0B};
    const char* found = letter == '\0' ? nullptr : strchr(letters, letter);
    return found == nullptr ? -1 : units[found - letters];
}

// An escaped string from just after its opening delimiter up to the unescaped `delimiter`;
// *s is left after the delimiter. A missing delimiter makes the line malformed.
bool ParseEscaped(const char** s, const char* end, char delimiter, std::u16string* units)
{
    const char* p = *s;
    while (p < end) {
        const char c = *p++;
        if (c == delimiter) {
            *s = p;
            return true;
        }
        if (c != '\\') {
            units->push_back(static_cast<unsigned char>(c));
            continue;
        }
        if (p == end) {
            return false;
        }
        const char escaped = *p++;
        uint32_t value = 0;
        if (const int control = ControlEscape(escaped); control >= 0) {
            units->push_back(static_cast<char16_t>(control));
        } else if (escaped == 'x') {
            // 1 to 4 hex digits, greedily; without one it is a plain x.
            units->push_back(ParseHexNumber(&p, end, 4, &value) ? static_cast<char16_t>(value)
                                                                : u'x');
        } else if (escaped >= '0' && escaped <= '7') {
            value = static_cast<uint32_t>(escaped - '0');
            for (int digits = 1; digits < 3 && p < end && *p >= '0' && *p <= '7'; ++digits) {
                value = value * 8 + static_cast<uint32_t>(*p++ - '0');
            }
            units->push_back(static_cast<char16_t>(value));
        } else {
            units->push_back(static_cast<unsigned char>(escaped)); // \\ \" \[ \] and the rest
        }
    }
    return false;
}

// REG_SZ and REG_EXPAND_SZ end at their first NUL, which is what string calls see; the
// NUL is kept, as the ANSI query returns it. Data stored without one comes back without.
void StringData(const std::u16string& units, std::vector<unsigned char>* data)
{
    const size_t nul = units.find(u'\0');
    std::string text;
    AppendUnitsUtf8(units, nul == std::u16string::npos ? units.size() : nul, &text);
    data->assign(text.begin(), text.end());
    if (nul != std::u16string::npos) {
        data->push_back(0);
    }
}

// REG_MULTI_SZ: the items, each ending in a NUL, and one more NUL that ends the list.
void MultiStringData(const std::u16string& units, std::vector<unsigned char>* data)
{
    size_t count = units.size();
    while (count > 0 && units[count - 1] == u'\0') {
        --count;
    }
    std::string text;
    AppendUnitsUtf8(units, count, &text);
    data->assign(text.begin(), text.end());
    data->push_back(0);
    data->push_back(0);
}

std::u16string UnitsFromLittleEndian(const std::vector<unsigned char>& bytes)
{
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        units.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
    }
    return units;
}

struct Line {
    const char* begin;
    const char* end;
};

class HiveParser {
  public:
    HiveParser(const char* text, size_t size) : next_(text), end_(text + size) {}

    bool NextLine(Line* line)
    {
        if (next_ >= end_) {
            return false;
        }
        const auto* newline = static_cast<const char*>(memchr(next_, '\n', end_ - next_));
        const char* lineEnd = newline == nullptr ? end_ : newline;
        line->begin = next_;
        line->end = lineEnd;
        if (line->end > line->begin && line->end[-1] == '\r') {
            --line->end;
        }
        next_ = newline == nullptr ? end_ : newline + 1;
        return true;
    }

    // Hex bytes `43,00,...`, following `,\` continuations onto the next lines.
    bool ParseHexBytes(const char* s, const char* end, std::vector<unsigned char>* bytes,
                       bool* oversize)
    {
        while (true) {
            s = SkipBlanks(s, end);
            if (s == end) {
                return true;
            }
            if (*s == '\\') {
                if (SkipBlanks(s + 1, end) != end) {
                    return false;
                }
                Line line;
                if (!NextLine(&line)) {
                    return false;
                }
                s = line.begin;
                end = line.end;
                continue;
            }
            uint32_t byte = 0;
            if (!ParseHexNumber(&s, end, 2, &byte)) {
                return false;
            }
            if (bytes->size() < HiveMaxValueBytes) {
                bytes->push_back(static_cast<unsigned char>(byte));
            } else {
                *oversize = true;
            }
            s = SkipBlanks(s, end);
            if (s < end && *s == ',') {
                ++s;
            } else if (s < end && *s != '\\') {
                return false;
            }
        }
    }

    // `NAME=DATA` from its first character; the value's data as the query returns it.
    bool ParseValue(const char* s, const char* end, HiveValue* value, bool* oversize)
    {
        value->name.clear();
        value->data.clear();
        *oversize = false;
        if (*s == '@') {
            ++s;
        } else {
            ++s; // the opening quote
            std::u16string name;
            if (!ParseEscaped(&s, end, '"', &name)) {
                return false;
            }
            AppendUnitsUtf8(name, name.size(), &value->name);
        }
        s = SkipBlanks(s, end);
        if (s == end || *s != '=') {
            return false;
        }
        s = SkipBlanks(s + 1, end);
        if (s == end) {
            return false;
        }

        uint32_t type = REG_SZ;
        if (*s == '"' || StartsWith(s, end, "str:\"") || StartsWith(s, end, "str(2):\"") ||
            StartsWith(s, end, "str(7):\"")) {
            if (StartsWith(s, end, "str(2)")) {
                type = REG_EXPAND_SZ;
            } else if (StartsWith(s, end, "str(7)")) {
                type = REG_MULTI_SZ;
            }
            s = static_cast<const char*>(memchr(s, '"', end - s)) + 1;
            std::u16string units;
            if (!ParseEscaped(&s, end, '"', &units)) {
                return false;
            }
            units.push_back(u'\0'); // the text form leaves out the terminator it stands for
            if (type == REG_MULTI_SZ) {
                MultiStringData(units, &value->data);
            } else {
                StringData(units, &value->data);
            }
        } else if (StartsWith(s, end, "dword:")) {
            s += 6;
            uint32_t number = 0;
            if (!ParseHexNumber(&s, end, 8, &number) || (s < end && HexDigit(*s) >= 0)) {
                return false;
            }
            type = REG_DWORD;
            for (int shift = 0; shift < 32; shift += 8) {
                value->data.push_back(static_cast<unsigned char>(number >> shift));
            }
        } else if (StartsWith(s, end, "hex:") || StartsWith(s, end, "hex(")) {
            type = REG_BINARY;
            s += 3;
            if (*s == '(') {
                ++s;
                if (!ParseHexNumber(&s, end, 8, &type) || !StartsWith(s, end, ")")) {
                    return false;
                }
                ++s;
            }
            if (!StartsWith(s, end, ":")) {
                return false;
            }
            std::vector<unsigned char> bytes;
            if (!ParseHexBytes(s + 1, end, &bytes, oversize)) {
                return false;
            }
            if (type == REG_SZ || type == REG_EXPAND_SZ) {
                StringData(UnitsFromLittleEndian(bytes), &value->data);
            } else if (type == REG_MULTI_SZ) {
                MultiStringData(UnitsFromLittleEndian(bytes), &value->data);
            } else {
                value->data = std::move(bytes);
            }
            value->type = type;
            return true; // the hex reader consumed the line and its continuations
        } else {
            return false;
        }
        value->type = type;
        if (value->data.size() > HiveMaxValueBytes) {
            *oversize = true;
        }
        return SkipBlanks(s, end) == end;
    }

  private:
    const char* next_;
    const char* end_;
};

// Bytes Wine never writes, or lines beyond the bound: not a hive.
bool PlausibleHiveText(const char* text, size_t size)
{
    if (size == 0 || size > HiveMaxFileBytes || text[size - 1] != '\n') {
        return false; // a hive always ends with a newline; without one it was cut short
    }
    size_t lineLength = 0;
    for (size_t i = 0; i < size; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            lineLength = 0;
            continue;
        }
        if (c >= 0x80 || (c < 0x20 && c != '\t' && c != '\r')) {
            return false;
        }
        if (++lineLength > HiveMaxLineBytes) {
            return false;
        }
    }
    return true;
}

} // namespace

bool ParseHiveKey(const char* text, size_t size, const std::string& keyPath, HiveKey* key)
{
    key->exists = false;
    key->values.clear();
    if (text == nullptr || !PlausibleHiveText(text, size)) {
        return false;
    }
    HiveParser parser(text, size);
    Line line;
    if (!parser.NextLine(&line) || std::string(line.begin, line.end) != HiveSignature) {
        return false;
    }

    const std::vector<std::string> wanted = SplitPath(FoldedName(keyPath));
    bool exists = wanted.empty(); // the root is there whenever the hive is
    bool inWanted = false;
    std::unordered_map<std::string, HiveValue> values; // by folded name; the last one wins
    HiveValue value;
    while (parser.NextLine(&line)) {
        const char* s = SkipBlanks(line.begin, line.end);
        if (s == line.end) {
            continue;
        }
        if (*s == '[') {
            ++s;
            std::u16string units;
            if (!ParseEscaped(&s, line.end, ']', &units)) {
                return false;
            }
            std::string path;
            AppendUnitsUtf8(units, units.size(), &path);
            const std::vector<std::string> section = SplitPath(FoldedName(path));
            bool below = section.size() >= wanted.size();
            for (size_t i = 0; below && i < wanted.size(); ++i) {
                below = section[i] == wanted[i];
            }
            exists = exists || below;
            inWanted = below && section.size() == wanted.size();
        } else if (*s == '@' || *s == '"') {
            bool oversize = false;
            if (!parser.ParseValue(s, line.end, &value, &oversize)) {
                return false;
            }
            if (!inWanted) {
                continue;
            }
            std::string folded = FoldedName(value.name);
            if (oversize) {
                values.erase(folded);
            } else {
                values[std::move(folded)] = std::move(value);
            }
        }
        // Options (#), comments (;) and unrecognised lines are skipped, as Wine does.
    }
    key->exists = exists;
    key->values.reserve(values.size());
    for (auto& entry : values) {
        key->values.push_back(std::move(entry.second));
    }
    return true;
}

bool ReadUserHive(std::string* text)
{
    text->clear();
    std::string prefix;
    if (!WinePrefixDirectory(&prefix)) {
        return false;
    }
    const std::string path = prefix + "/user.reg";
    // Non-blocking, so that a FIFO in the hive's place cannot stall start-up.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    struct stat status;
    bool ok = fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size >= 0 &&
              static_cast<uint64_t>(status.st_size) <= HiveMaxFileBytes;
    if (ok) {
        text->resize(static_cast<size_t>(status.st_size));
        size_t done = 0;
        while (done < text->size()) {
            const ssize_t got = read(fd, text->data() + done, text->size() - done);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                break; // shrank while reading: parse what is there, a cut hive is refused
            }
            done += static_cast<size_t>(got);
        }
        text->resize(done);
    }
    if (close(fd) != 0) {
        ok = false;
    }
    if (!ok) {
        text->clear();
    }
    return ok;
}

const HiveValue* FindHiveValue(const HiveKey& key, const char* name)
{
    const std::string wanted = name == nullptr ? std::string() : std::string(name);
    for (const HiveValue& value : key.values) {
        if (NamesEqualNoCase(value.name, wanted)) {
            return &value;
        }
    }
    return nullptr;
}

bool NamesEqualNoCase(const std::string& a, const std::string& b)
{
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (FoldCase(NextCodePoint(a, &i)) != FoldCase(NextCodePoint(b, &j))) {
            return false;
        }
    }
    return i == a.size() && j == b.size();
}
