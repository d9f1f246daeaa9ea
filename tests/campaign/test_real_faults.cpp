// The same failures made real, where the machine lets a test make them: a full file system,
// a file cut by another process, a lock held by another process, a folder that vanishes.
// Where the machine refuses (no root for a mount), the test says so and skips; the table of
// seam-driven rows covers the same failure either way.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <atomic>

#include "campaign/campaign_fixture.h"

namespace fs = std::filesystem;

namespace {

// Runs `work` in a child process and waits for it: the change comes from another process,
// as it would from another program.
void InAnotherProcess(const std::function<int()>& work)
{
    const pid_t child = fork();
    ASSERT_GE(child, 0) << std::strerror(errno);
    if (child == 0) {
        _exit(work());
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

void CutFile(const std::string& path, off_t size)
{
    InAnotherProcess([&] { return truncate(path.c_str(), size) == 0 ? 0 : 1; });
}

class RealFaults : public CampaignTest {
  protected:
    void TearDown() override
    {
        if (!mounted.empty()) {
            umount2(mounted.c_str(), MNT_DETACH);
        }
        if (holder > 0) {
            kill(holder, SIGTERM);
            waitpid(holder, nullptr, 0);
        }
        CampaignTest::TearDown();
    }

    // A tmpfs of `size` at a new folder; empty when the machine refuses the mount.
    std::string SmallFileSystem(const char* options)
    {
        const std::string dir = temp.file("small");
        fs::create_directory(dir);
        if (mount("tmpfs", dir.c_str(), "tmpfs", 0, options) != 0) {
            return "";
        }
        mounted = dir;
        return dir;
    }

    std::string mounted;
    pid_t holder = -1;
};

} // namespace

TEST_F(RealFaults, SaveAsOntoAFullFileSystemLeavesNoPartialTarget)
{
    const std::string small = SmallFileSystem("size=1m");
    if (small.empty()) {
        GTEST_SKIP() << "cannot mount a tmpfs here (" << std::strerror(errno)
                     << "); the seam row 'save as: write a later chunk' covers it";
    }
    OpenSource("src.tmp", 3u << 20);
    const std::string before = Checksum(sourcePath);
    SaveAs(small + "/out.wav");
    const std::vector<MessageBoxRecord> errors = ErrorBoxes();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].text, BoxText(ErrorKindSystem, ERROR_DISK_FULL));
    EXPECT_NE(errors[0].owner, dialog);
    EXPECT_FALSE(Exists(small + "/out.wav"));
    EXPECT_EQ(Checksum(sourcePath), before);
    ExpectSourceStillOpen();
    // The room the partial target took is free again: a smaller file fits there now.
    MessageBoxLogClear();
    OpenSource("small.tmp", 500000);
    SaveAs(small + "/fits.wav");
    EXPECT_TRUE(ReadWholeFile(small + "/fits.wav") == ExpectedWav());
    ExpectCreatedBox(small + "/fits.wav");
}

// The user agreed to replace the old file with the new one, not to lose both: the copy is
// made beside the old file, so a disk that cannot hold it keeps the old file.
TEST_F(RealFaults, AReplacementThatDoesNotFitKeepsTheOldTarget)
{
    const std::string small = SmallFileSystem("size=1m");
    if (small.empty()) {
        GTEST_SKIP() << "cannot mount a tmpfs here (" << std::strerror(errno)
                     << "); the seam row 'save as: write a later chunk' covers it";
    }
    const std::string old = small + "/old.wav";
    fs::copy_file(temp.makeFile("old.wav", 600000), old);
    const std::string oldBytes = ReadWholeFile(old);
    OpenSource("src.tmp", 3500000);
    SaveAs(old);
    const std::vector<MessageBoxRecord> errors = ErrorBoxes();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].text, BoxText(ErrorKindSystem, ERROR_DISK_FULL));
    EXPECT_TRUE(ReadWholeFile(old) == oldBytes);
    EXPECT_EQ(std::distance(fs::directory_iterator(small), fs::directory_iterator()), 1);
    ExpectSourceStillOpen();
}

// Writing the header and renaming need no new room, so a full file system does not stop
// Save in place.
TEST_F(RealFaults, SaveInPlaceOnAFullFileSystemStillWorks)
{
    const std::string small = SmallFileSystem("size=1m");
    if (small.empty()) {
        GTEST_SKIP() << "cannot mount a tmpfs here (" << std::strerror(errno) << ")";
    }
    const std::string source = small + "/cap.tmp";
    fs::copy_file(temp.makeFile("cap.tmp", 300000), source);
    {
        std::ofstream filler(small + "/filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), block.size())) {
        }
    }
    ASSERT_EQ(fs::space(small).available, 0u);
    sourcePath = source;
    OpenSourceFile(source.c_str());
    ASSERT_TRUE(IsSourceFileOpen());
    const std::string data = ReadWholeFile(source).substr(WavHeaderSize);
    WavHeader header;
    BuildWavHeader(&header);
    SaveInPlace(small + "/cap.wav");
    EXPECT_TRUE(ErrorBoxes().empty());
    ExpectCreatedBox(small + "/cap.wav");
    const std::string wav = ReadWholeFile(small + "/cap.wav");
    EXPECT_TRUE(wav ==
                std::string(reinterpret_cast<const char*>(header.bytes), WavHeaderSize) + data);
    EXPECT_FALSE(Exists(source));
}

TEST_F(RealFaults, ASourceCutByAnotherProcessDuringTheCopyIsAReadFailure)
{
    OpenSource("src.tmp", 20u << 20);
    const std::string target = temp.file("out.wav");
    // The worker is held before its second write until the file has been cut after its
    // first chunk; its third read meets the cut.
    std::atomic<bool> cut{false};
    HoldCopy("WriteFile", 2, [&cut] { return cut.load(); });
    OnNextModalLoop([&](HWND) {
        ASSERT_TRUE(WaitForSize(CopyBeside(target), 65536));
        CutFile(sourcePath, 100000);
        cut.store(true);
    });
    SaveAs(target);
    const std::vector<MessageBoxRecord> errors = ErrorBoxes();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].owner, dialog);
    EXPECT_FALSE(Exists(target));
    EXPECT_TRUE(IsSourceFileOpen());
    EXPECT_TRUE(ReadWholeFile(sourcePath) == sourceBytes.substr(0, 100000));
}

TEST_F(RealFaults, ASourceCutByAnotherProcessWhilePlayingIsReportedAndNotPlayed)
{
    OpenSource("src.tmp", 600000); // more than three seconds at the starting format
    StartPlaying();
    CutFile(sourcePath, 200000);
    MessageBoxScriptSet({{IDOK, nullptr}, {IDOK, nullptr}});
    TestDeviceCompleteNext(1);
    PumpMessages();
    PlayOut();
    // Each of the two buffers tries its own refill when it comes back, and each is refused.
    const std::vector<MessageBoxRecord> errors = ErrorBoxes();
    ASSERT_EQ(errors.size(), 2u);
    for (const MessageBoxRecord& box : errors) {
        EXPECT_EQ(box.text, BoxText(ErrorKindSystem, ERROR_HANDLE_EOF));
        EXPECT_EQ(box.owner, dialog);
    }
    // Only the two buffers queued before the cut played, all of them real data.
    const std::vector<unsigned char> played = TestDevicePlayedBytes();
    ASSERT_EQ(played.size(), 2u * 176400u);
    EXPECT_TRUE(std::string(played.begin(), played.end()) ==
                sourceBytes.substr(WavHeaderSize, played.size()));
    EXPECT_TRUE(Enabled(IDC_PLAY));
    EXPECT_FALSE(Enabled(IDC_STOP));
}

TEST_F(RealFaults, AFileLockedByAnotherProcessIsRefusedUntilReleased)
{
    OpenSource("first.tmp", 5000);
    const std::string other = temp.makeFile("other.tmp", 5000);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        const int fd = open(other.c_str(), O_RDONLY);
        const bool locked = fd >= 0 && flock(fd, LOCK_EX) == 0;
        const char byte = locked ? '1' : '0';
        if (write(ready[1], &byte, 1) != 1) {
            _exit(1);
        }
        pause();
        _exit(0);
    }
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    close(ready[0]);
    close(ready[1]);
    ASSERT_EQ(byte, '1');

    OpenAnother(other);
    const std::vector<MessageBoxRecord> errors = ErrorBoxes();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].text, BoxText(ErrorKindSystem, ERROR_SHARING_VIOLATION));
    EXPECT_EQ(errors[0].owner, dialog);
    ExpectSourceStillOpen();

    kill(holder, SIGTERM);
    waitpid(holder, nullptr, 0);
    holder = -1;
    MessageBoxLogClear();
    OpenAnother(other);
    EXPECT_TRUE(ErrorBoxes().empty());
    EXPECT_EQ(Text(dialog), other + " - Salvorin");
}

// Save as while playing: the dialog is answered first, the copy runs once playback has
// stopped, and the folder chosen is gone by then.
TEST_F(RealFaults, ATargetFolderRemovedBetweenTheDialogAndTheCopy)
{
    OpenSource("src.tmp", 600000);
    const std::string before = Checksum(sourcePath);
    fs::create_directory(temp.file("gone"));
    StartPlaying();
    SaveAs(temp.file("gone/out.wav"));
    ASSERT_NE(PendingCommand, 0u);
    fs::remove_all(temp.file("gone"));
    DrainPlayback();
    const std::vector<MessageBoxRecord> errors = ErrorBoxes();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].text, BoxText(ErrorKindSystem, ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(errors[0].owner, dialog);
    EXPECT_FALSE(Exists(temp.file("gone")));
    EXPECT_EQ(Checksum(sourcePath), before);
    ExpectSourceStillOpen();
}
