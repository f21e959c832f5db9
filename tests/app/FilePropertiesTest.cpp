#include <gtest/gtest.h>

#include "app/FileProperties.h"

using App::formatPlayTime;

TEST(FileProperties, PlayTimeFields) {
    EXPECT_EQ(formatPlayTime(44100, 44100), "0:00:01:000");
    EXPECT_EQ(formatPlayTime(44100 * 3661 + 22050, 44100), "1:01:01:500");
    EXPECT_EQ(formatPlayTime(0, 8000), "0:00:00:000");
    EXPECT_EQ(formatPlayTime(7999, 8000), "0:00:01:000"); // nudged up to the whole second
    EXPECT_EQ(formatPlayTime(12, 8000), "0:00:00:001");
    EXPECT_EQ(formatPlayTime(44100ull * 90000, 44100), "25:00:00:000");
}
