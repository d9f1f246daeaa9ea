// The user hive reader: Wine's escapes and value forms, and files it must refuse.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/linux/wine/wine_hive.h"
#include "platform/win32.h"
#include "support/wine_prefix.h"

namespace {

std::string DataOf(const HiveKey& key, const char* name, uint32_t* type = nullptr)
{
    const HiveValue* value = FindHiveValue(key, name);
    if (value == nullptr) {
        return "<missing>";
    }
    if (type != nullptr) {
        *type = value->type;
    }
    return std::string(value->data.begin(), value->data.end());
}

HiveKey Parse(const std::string& text, const char* keyPath = "K")
{
    HiveKey key;
    EXPECT_TRUE(ParseHiveKey(text.data(), text.size(), keyPath, &key)) << text;
    return key;
}

bool Refused(const std::string& text)
{
    HiveKey key;
    const bool parsed = ParseHiveKey(text.data(), text.size(), "K", &key);
    return !parsed && !key.exists && key.values.empty();
}

TEST(WineHive, StringEscapes)
{
    const HiveKey key = Parse(MakeHive({
        "[K] 1",
        R"("c"="\a\b\t\n\v\f\r\e")",
        R"("octal"="\101\60\0618")",   // 3 octal digits at most: A 0 1 8
        R"("hex"="\xe4\x00dcb\x41x")", // ä, Ü then b, A then x
        R"("nohex"="\xg")",            // \x with no digit is an x
        R"("pair"="\xd842\xdfb7")",    // one character beyond the BMP
        R"("lone"="a\xd842b")",        // a lone surrogate cannot be UTF-8
        R"("others"="\\\"\[\]\q")",
    }));
    EXPECT_EQ(DataOf(key, "c"), std::string("\a\b\t\n\v\f\r\x1b", 9));
    EXPECT_EQ(DataOf(key, "octal"), std::string("A018", 5));
    EXPECT_EQ(DataOf(key, "hex"), std::string("\xC3\xA4\xC3\x9C"
                                              "bAx",
                                              8));
    EXPECT_EQ(DataOf(key, "nohex"), std::string("xg", 3));
    EXPECT_EQ(DataOf(key, "pair"), std::string("\xF0\xA0\xAE\xB7", 5));
    EXPECT_EQ(DataOf(key, "lone"), std::string("a\xEF\xBF\xBD"
                                               "b",
                                               6));
    EXPECT_EQ(DataOf(key, "others"), std::string("\\\"[]q", 6));
}

TEST(WineHive, ValueForms)
{
    const HiveKey key = Parse(MakeHive({
        "[K] 1",
        "#time=1dd875ab99b30a0",
        R"(@="default")",
        R"("sz"=str:"plain")",
        R"("embedded"="ab\0cd")",
        R"("multi"=str(7):"a\0b\0")",
        R"("dw"=dword:0000ABCD)",
        R"("bin"=hex:01,02,ff,\)",
        "  10,20",
        R"("empty"=hex:)",
        R"("q"=hex(b):01,00,00,00,00,00,00,80)",
        R"("sz16"=hex(1):41,00,42,00,00,00,43,00)", // stops at the first NUL
        R"("ex16"=hex(2):41,00,42,00)",             // stored without its NUL
        R"("odd"=hex(1):41,00,42)",                 // a lone last byte is no unit
        R"("m16"=hex(7):61,00,00,00,62,00)",
        R"("none"=hex(0):)",
        R"(  "spaced"  =  "x"  )",
    }));
    uint32_t type = 0;
    EXPECT_EQ(DataOf(key, "", &type), std::string("default", 8));
    EXPECT_EQ(type, static_cast<uint32_t>(REG_SZ));
    EXPECT_EQ(DataOf(key, nullptr), std::string("default", 8));
    EXPECT_EQ(DataOf(key, "sz", &type), std::string("plain", 6));
    EXPECT_EQ(DataOf(key, "embedded"), std::string("ab", 3));
    EXPECT_EQ(DataOf(key, "multi", &type), std::string("a\0b\0", 5));
    EXPECT_EQ(type, static_cast<uint32_t>(REG_MULTI_SZ));
    EXPECT_EQ(DataOf(key, "dw", &type), std::string("\xCD\xAB\0\0", 4));
    EXPECT_EQ(type, static_cast<uint32_t>(REG_DWORD));
    EXPECT_EQ(DataOf(key, "bin", &type), std::string("\x01\x02\xFF\x10\x20", 5));
    EXPECT_EQ(type, static_cast<uint32_t>(REG_BINARY));
    EXPECT_EQ(DataOf(key, "empty"), "");
    EXPECT_EQ(DataOf(key, "q", &type), std::string("\x01\0\0\0\0\0\0\x80", 8));
    EXPECT_EQ(type, static_cast<uint32_t>(REG_QWORD));
    EXPECT_EQ(DataOf(key, "sz16", &type), std::string("AB", 3));
    EXPECT_EQ(type, static_cast<uint32_t>(REG_SZ));
    EXPECT_EQ(DataOf(key, "ex16", &type), "AB");
    EXPECT_EQ(type, static_cast<uint32_t>(REG_EXPAND_SZ));
    EXPECT_EQ(DataOf(key, "odd"), "A");
    EXPECT_EQ(DataOf(key, "m16"), std::string("a\0b\0", 5));
    EXPECT_EQ(DataOf(key, "none", &type), "");
    EXPECT_EQ(type, static_cast<uint32_t>(REG_NONE));
    EXPECT_EQ(DataOf(key, "spaced"), std::string("x", 2));
}

TEST(WineHive, DuplicatesMergeAndTheLastValueWins)
{
    const HiveKey key = Parse(MakeHive({
        "[K] 1",
        R"("a"="1")",
        R"("b"="1")",
        "",
        "[Other] 1",
        R"("a"="other")",
        "",
        "[k] 2",
        R"("A"="2")",
    }));
    EXPECT_EQ(key.values.size(), 2u);
    EXPECT_EQ(DataOf(key, "a"), std::string("2", 2));
    EXPECT_EQ(DataOf(key, "b"), std::string("1", 2));
}

TEST(WineHive, CarriageReturnsAndUnknownLinesAreSkipped)
{
    std::string text = "WINE REGISTRY Version 2\r\n\r\n[K] 1\r\n#class=\"x\"\r\n"
                       "; a comment\r\nsomething unrecognised\r\n\"a\"=\"b\"\r\n";
    EXPECT_EQ(DataOf(Parse(text), "a"), std::string("b", 2));
}

TEST(WineHive, RefusesWhatIsNotAWellFormedHive)
{
    EXPECT_TRUE(Refused(""));
    EXPECT_TRUE(Refused("REGEDIT4\n\n[K]\n\"a\"=\"b\"\n"));
    EXPECT_TRUE(Refused(MakeHive({"[K] 1", R"("a"="b")"}).insert(0, " ")));
    // Cut short: no final newline.
    std::string cut = MakeHive({"[K] 1", R"("a"="b")"});
    cut.pop_back();
    EXPECT_TRUE(Refused(cut));
    EXPECT_TRUE(Refused(MakeHive({"[K 1"})));
    EXPECT_TRUE(Refused(MakeHive({"[K] 1", R"("a"="b)"})));
    EXPECT_TRUE(Refused(MakeHive({"[K] 1", R"("a="b")"})));
    EXPECT_TRUE(Refused(MakeHive({"[K] 1", R"("a" "b")"})));
    EXPECT_TRUE(Refused(MakeHive({"[K] 1", R"("a"=)"})));
    EXPECT_TRUE(Refused(MakeHive({"[K] 1", R"("a"=text)"})));
    EXPECT_TRUE(Refused(MakeHive({"[K] 1", R"("a"=str(5):"x")"})));
    EXPECT_TRUE(Refused(MakeHive({"[K] 1", R"("a"="b" junk)"})));
    EXPECT_TRUE(Refused(MakeHive({"[K] 1", R"("a"=dword:123456789)"})));
    EXPECT_TRUE(Refused(MakeHive({"[K] 1", R"("a"=dword:)"})));
    EXPECT_TRUE(Refused(MakeHive({"[K] 1", R"("a"=hex:0g)"})));
    EXPECT_TRUE(Refused(MakeHive({"[K] 1", R"("a"=hex:01;02)"})));
    EXPECT_TRUE(Refused(MakeHive({"[K] 1", R"("a"=hex(:01)"})));
    EXPECT_TRUE(Refused(MakeHive({"[K] 1", R"("a"=hex(1:01)"})));
    EXPECT_TRUE(Refused(MakeHive({"[K] 1", R"("a"=hex:01,\)"}))); // continued past the end
    // Bytes Wine never writes: binary files and raw 8-bit text.
    EXPECT_TRUE(Refused(MakeHive({"[K] 1", "\"a\"=\"\xC3\xA4\""})));
    std::string withNul = MakeHive({"[K] 1", R"("a"="b")"});
    withNul[withNul.size() - 3] = '\0';
    EXPECT_TRUE(Refused(withNul));
    EXPECT_TRUE(Refused(MakeHive({"[K] 1", "\"a\"=\"\x01\""})));
    EXPECT_TRUE(Refused(
        MakeHive({"[K] 1", ("\"a\"=\"" + std::string(HiveMaxLineBytes, 'x') + "\"").c_str()})));
}

TEST(WineHive, AnOversizeValueIsLeftOutAndTheRestIsRead)
{
    std::string hex = "\"big\"=hex:";
    for (size_t i = 0; i <= HiveMaxValueBytes; ++i) {
        hex += (i % 20 == 19) ? "00,\\\n  " : "00,";
    }
    const HiveKey key = Parse(MakeHive({"[K] 1", R"("big"="small")", hex.c_str(), R"("a"="b")"}));
    EXPECT_EQ(DataOf(key, "big"), "<missing>");
    EXPECT_EQ(DataOf(key, "a"), std::string("b", 2));
}

TEST(WineHive, TheRootAndKeysWithOnlySubkeysExist)
{
    const std::string text = MakeHive({"[A\\\\B\\\\C] 1", R"("v"="1")"});
    EXPECT_TRUE(Parse(text, "").exists);
    EXPECT_TRUE(Parse(text, "a").exists);
    EXPECT_TRUE(Parse(text, "A\\b").exists);
    EXPECT_TRUE(Parse(text, "A\\B").values.empty());
    EXPECT_EQ(DataOf(Parse(text, "a\\b\\c"), "V"), std::string("1", 2));
    EXPECT_FALSE(Parse(text, "A\\B\\C\\D").exists);
    EXPECT_FALSE(Parse(text, "A\\BC").exists);
    EXPECT_FALSE(Parse(text, "B").exists);
}

// Every cut of a real hive, and random damage to it, must come back with an answer:
// the sanitizer builds turn any overrun here into a failure.
TEST(WineHive, DamagedHivesNeverCrash)
{
    const std::string hive = ReadWineHiveFixture("user-binary.reg");
    HiveKey key;
    int accepted = 0;
    for (size_t cut = 0; cut < hive.size(); cut += 7) {
        if (ParseHiveKey(hive.data(), cut, "Software\\Vintrel\\Quorbel", &key)) {
            ++accepted;
            EXPECT_EQ(hive[cut - 1], '\n'); // only a cut at a line end can look whole
        }
    }
    EXPECT_GT(accepted, 0);

    std::mt19937 random(12345);
    for (int round = 0; round < 300; ++round) {
        std::string damaged = hive;
        const int changes = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < changes; ++i) {
            damaged[random() % damaged.size()] = static_cast<char>(random() % 128);
        }
        ParseHiveKey(damaged.data(), damaged.size(), "Software\\Vintrel\\Quorbel", &key);
    }
    std::string garbage(4096, '\0');
    for (char& c : garbage) {
        c = static_cast<char>(random());
    }
    EXPECT_FALSE(ParseHiveKey(garbage.data(), garbage.size(), "", &key));
}

TEST(WineHive, NamesCompareWithoutRegardToCase)
{
    EXPECT_TRUE(NamesEqualNoCase("TmpDir", "TMPDIR"));
    EXPECT_TRUE(NamesEqualNoCase("\xC3\x9C"
                                 "bung",
                                 "\xC3\xBC"
                                 "BUNG")); // Ü ü
    EXPECT_TRUE(NamesEqualNoCase("\xC5\x81\xC3\xB3"
                                 "d\xC5\xBA",
                                 "\xC5\x82\xC3\x93"
                                 "D\xC5\xB9"));                            // Łódź
    EXPECT_TRUE(NamesEqualNoCase("\xD0\x90\xD0\x81", "\xD0\xB0\xD1\x91")); // Cyrillic А Ё
    EXPECT_FALSE(NamesEqualNoCase("Temp", "Temp2"));
    EXPECT_FALSE(NamesEqualNoCase("\xC3\x9C", "U"));
}

} // namespace
