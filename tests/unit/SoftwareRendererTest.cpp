// The software renderer is asked to draw without threads of its own, unless the user chose.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/SoftwareRenderer.h"

namespace {

std::string threadSetting() {
    const char* value = getenv("LP_NUM_THREADS");
    return value == nullptr ? "(unset)" : value;
}

TEST(SoftwareRenderer, NoThreadsUnlessTheUserChose) {
    const std::string before = threadSetting();

    unsetenv("LP_NUM_THREADS");
    platform::drawWithoutRendererThreads();
    EXPECT_EQ(threadSetting(), "0");

    setenv("LP_NUM_THREADS", "4", 1);
    platform::drawWithoutRendererThreads();
    EXPECT_EQ(threadSetting(), "4");

    if (before == "(unset)")
        unsetenv("LP_NUM_THREADS");
    else
        setenv("LP_NUM_THREADS", before.c_str(), 1);
}

} // namespace
