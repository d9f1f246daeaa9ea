#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/seams.h"

int main(int argc, char** argv)
{
    // Headless by default: no display and no sound card are needed to run the tests.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ::testing::InitGoogleTest(&argc, argv);
    PlatformStartup(argc, argv);
    return RUN_ALL_TESTS();
}
