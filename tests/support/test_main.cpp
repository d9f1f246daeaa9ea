#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "platform/testing/seams.h"

namespace {

// Every test starts and ends with the seams at rest: no fault armed, no script set, both logs
// empty. A fixture clears them itself only where the order within its own set-up matters.
class SeamsAtRest : public ::testing::EmptyTestEventListener {
    static void Rest()
    {
        FaultClearAll();
        MessageBoxScriptClear();
        MessageBoxLogClear();
        FileDialogScriptClear();
        FileDialogLogClear();
    }
    void OnTestStart(const ::testing::TestInfo&) override { Rest(); }
    void OnTestEnd(const ::testing::TestInfo&) override { Rest(); }
};

} // namespace

int main(int argc, char** argv)
{
#ifndef _WIN32
    // Headless by default: no display and no sound card are needed to run the tests.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (getenv("XDG_RUNTIME_DIR") == nullptr) {
        // Root under CI has no session directory; give Qt a private one instead of a warning.
        const std::string runtime = "/tmp/salvorin-runtime-" + std::to_string(getuid());
        mkdir(runtime.c_str(), 0700);
        chmod(runtime.c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }
#endif
    ::testing::InitGoogleTest(&argc, argv);
    PlatformStartup(argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new SeamsAtRest);
    return RUN_ALL_TESTS();
}
