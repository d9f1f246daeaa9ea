// Open and Save in place of a 48-byte file against a sparse 6 GiB one: neither may cost more
// for a bigger file (open reads only the size; save in place writes 44 bytes, cuts, renames).
#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"
#include "core/resource_ids.h"
#include "core/source_file.h"
#include "platform/testing/seams.h"
#include "ui/open_source_file.h"

namespace {

constexpr uint64_t SmallSize = 48;
constexpr uint64_t LargeSize = 6ull << 30;

void MakeSource(const std::string& path, uint64_t size)
{
    if (size == SmallSize) {
        WriteSparseFile(path, SmallSize, SmallSize);
    } else {
        WriteSparseFile(path, size, 1u << 20);
    }
}

FileDialogAnswer Choose(const std::string& path)
{
    FileDialogAnswer answer;
    answer.choose = true;
    answer.path = path;
    return answer;
}

// The Open command on a file, from the menu to the window showing it.
double Open(const std::string& path)
{
    MainDialog dialog;
    FileDialogScriptSet({Choose(path)});
    PumpMessages();
    const double start = Now();
    UserChooseMenuItem(dialog.window, IDM_OPEN);
    const double time = Now() - start;
    if (!IsSourceFileOpen() || !MessageBoxLog().empty()) {
        Fail("Open did not open " + path);
    }
    return time;
}

// Save in place of a fresh file: the question, the save dialog, the header, the cut, the
// flush and the rename, up to the success box.
double SaveInPlace(const std::string& source, uint64_t size, const std::string& target)
{
    RemoveFile(target);
    MakeSource(source, size);
    Shell("sync");
    MainDialog dialog;
    OpenSourceFile(source.c_str());
    FileDialogScriptSet({Choose(target)});
    MessageBoxScriptSet({{IDYES, {}}, {IDOK, {}}});
    PumpMessages();
    const double start = Now();
    UserChooseMenuItem(dialog.window, IDM_SAVE_IN_PLACE);
    const double time = Now() - start;
    const auto& boxes = MessageBoxLog();
    if (boxes.size() != 2 || boxes[1].text.find("successfully created") == std::string::npos) {
        Fail("Save in place did not end with its success box");
    }
    const uint64_t expected = size > MaximumEffectiveLength ? MaximumEffectiveLength : size;
    if (FileSize(target) != expected) {
        Fail("Save in place left " + std::to_string(FileSize(target)) + " bytes");
    }
    RemoveFile(target);
    return time;
}

} // namespace

int main(int argc, char** argv)
{
    BenchStartup(argc, argv);
    const int rounds = Rounds(5) * 3;
    const std::string dir = DataDir();
    const std::string small = dir + "/small.tmp";
    const std::string large = dir + "/large.tmp";
    const std::string target = dir + "/in-place.wav";

    std::printf("Open and Save in place: 48 bytes against a sparse 6 GiB file, %d rounds\n",
                rounds);
    MakeSource(small, SmallSize);
    MakeSource(large, LargeSize);
    Open(small); // the first dialog and file dialog pay for lazy set-up: not measured
    std::vector<double> openSmall;
    std::vector<double> openLarge;
    for (int round = 0; round < rounds; ++round) {
        if (round % 2 == 0) {
            openSmall.push_back(Open(small));
            openLarge.push_back(Open(large));
        } else {
            openLarge.push_back(Open(large));
            openSmall.push_back(Open(small));
        }
    }
    PrintRatio("Open: 6 GiB / 48 bytes", openLarge, "48 bytes", openSmall);

    std::vector<double> placeSmall;
    std::vector<double> placeLarge;
    for (int round = 0; round < rounds; ++round) {
        // A flush can pay for the journal of the one before it: each size goes first in
        // every other round.
        if (round % 2 == 0) {
            placeSmall.push_back(SaveInPlace(small, SmallSize, target));
            placeLarge.push_back(SaveInPlace(large, LargeSize, target));
        } else {
            placeLarge.push_back(SaveInPlace(large, LargeSize, target));
            placeSmall.push_back(SaveInPlace(small, SmallSize, target));
        }
    }
    PrintRatio("Save in place: 6 GiB / 48 bytes", placeLarge, "48 bytes", placeSmall);
    RemoveFile(small);
    RemoveFile(large);
    RemoveFile(target);
    return 0;
}
