#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/error_info.h"
#include "core/file_dialog_rules.h"
#include "core/resource_ids.h"
#include "platform/testing/seams.h"
#include "ui/resources/resources.h"

namespace {

std::string Replaced(const std::string& path)
{
    char buffer[MAX_PATH];
    std::memset(buffer, 'x', sizeof buffer);
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    ReplaceExtension(buffer, "wav");
    return buffer;
}

std::string Directory(const std::string& path)
{
    char buffer[MAX_PATH];
    std::memset(buffer, 'x', sizeof buffer);
    DirectoryOf(buffer, path.c_str());
    return buffer;
}

std::vector<std::string> Items(const char* list, size_t size)
{
    std::vector<std::string> items;
    size_t at = 0;
    while (at < size) {
        items.emplace_back(list + at);
        if (items.back().empty()) {
            break;
        }
        at += items.back().size() + 1;
    }
    return items;
}

} // namespace

TEST(ReplaceExtension, ChangesOrAddsTheExtensionOfTheFileNameOnly)
{
    EXPECT_EQ(Replaced("/rec/cap001.tmp"), "/rec/cap001.wav");
    EXPECT_EQ(Replaced("/rec/cap001"), "/rec/cap001.wav");
    EXPECT_EQ(Replaced("/rec.old/cap001"), "/rec.old/cap001.wav");
    EXPECT_EQ(Replaced("/rec/a.b.tmp"), "/rec/a.b.wav");
    EXPECT_EQ(Replaced("/rec/cap001."), "/rec/cap001.wav");
    EXPECT_EQ(Replaced("cap001.tmp"), "cap001.wav");
    // A hidden file's leading dot starts its name, not an extension.
    EXPECT_EQ(Replaced("/rec/.cap001"), "/rec/.cap001.wav");
    EXPECT_EQ(Replaced("/rec/.cap001.tmp"), "/rec/.cap001.wav");
    // Multibyte names: the bytes of "é" are never taken for a dot.
    EXPECT_EQ(Replaced("/r\xC3\xA9"
                       "c/\xC3\xA9t\xC3\xA9.tmp"),
              "/r\xC3\xA9"
              "c/\xC3\xA9t\xC3\xA9.wav");
}

TEST(ReplaceExtension, LeavesThePathWhenTheResultWouldNotFit)
{
    const std::string fits = "/" + std::string(254, 'a'); // 255 characters
    const std::string full = Replaced(fits);
    EXPECT_EQ(full, fits + ".wav");
    EXPECT_EQ(full.size(), static_cast<size_t>(MAX_PATH - 1));

    const std::string tooLong = "/" + std::string(255, 'a'); // 256 characters
    EXPECT_EQ(Replaced(tooLong), tooLong);

    // A shorter extension makes room where an append would not fit.
    const std::string withExtension = "/" + std::string(251, 'a') + ".tmpx"; // 257 characters
    EXPECT_EQ(Replaced(withExtension), "/" + std::string(251, 'a') + ".wav");
}

TEST(DirectoryOf, GivesTheFolderWithoutAFinalSlashExceptTheRoot)
{
    EXPECT_EQ(Directory("/rec/cap001.tmp"), "/rec");
    EXPECT_EQ(Directory("/home/u/rec/cap001.tmp"), "/home/u/rec");
    EXPECT_EQ(Directory("/cap001.tmp"), "/");
    EXPECT_EQ(Directory("/"), "/");
    EXPECT_EQ(Directory("//server/share/cap001.tmp"), "//server/share");
    EXPECT_EQ(Directory("rec/cap001.tmp"), "rec");
    EXPECT_EQ(Directory("cap001.tmp"), "");
    EXPECT_EQ(Directory(""), "");
}

TEST(DirectoryOf, CutsAnOverlongPathToTheBufferFirst)
{
    // The slash beyond the 259th character is not seen: the folder is taken from what fits.
    const std::string path = "/a/" + std::string(300, 'b') + "/c.tmp";
    EXPECT_EQ(Directory(path), "/a");
}

TEST(LoadFilterString, TurnsTheBarsIntoAListEndingInTwoNuls)
{
    ModuleInstance = &ResourceModule;
    char buffer[FilterBufferSize];
    std::memset(buffer, 'x', sizeof buffer);
    LoadFilterString(IDS_SAVE_FILTER, buffer);
    EXPECT_EQ(Items(buffer, sizeof buffer),
              (std::vector<std::string>{"Windows waveform (*.wav)", "*.wav", "All files (*.*)",
                                        "*.*", ""}));

    std::memset(buffer, 'x', sizeof buffer);
    LoadFilterString(IDS_OPEN_FILTER, buffer);
    EXPECT_EQ(Items(buffer, sizeof buffer),
              (std::vector<std::string>{"Quorbel temporary files (*.tmp)", "*.tmp",
                                        "All files (*.*)", "*.*", ""}));
}

TEST(LoadFilterString, AFailedLoadGivesAnEmptyList)
{
    ModuleInstance = &ResourceModule;
    char buffer[FilterBufferSize];
    std::memset(buffer, 'x', sizeof buffer);
    FaultInject("LoadStringA", 1, ERROR_RESOURCE_NAME_NOT_FOUND);
    LoadFilterString(IDS_SAVE_FILTER, buffer);
    FaultClearAll();
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[1], '\0');
}

// A string cut by its reader's buffer would lose its end: the question's "Are you sure?",
// a filter's last pair.
TEST(StringTable, EveryStringFitsTheBufferItIsLoadedInto)
{
    for (int i = 0; i < StringResourceCount; ++i) {
        const STRING_DATA& entry = StringResources[i];
        const bool filter = entry.id == IDS_OPEN_FILTER || entry.id == IDS_SAVE_FILTER ||
                            entry.id == IDS_SAVE_FILTER_WHOLE;
        const size_t room = filter ? FilterBufferSize : StringBufferSize;
        EXPECT_LT(std::strlen(entry.text), room) << entry.id;
    }
}
