#include <gtest/gtest.h>

#include <type_traits>

#include "output/AudioBlock.h"

using namespace Output;

static_assert(!std::is_copy_constructible_v<CAudioBlock>, "blocks are handed on, never copied");

TEST(AudioBlock, ChannelsAreContiguousRunsOfOneStorage) {
    CAudioBlock b;
    EXPECT_FALSE(b.ownsStorage());
    b.resize(3, 5);
    ASSERT_TRUE(b.ownsStorage());
    EXPECT_EQ(b.getChannelCount(), 3);
    EXPECT_EQ(b.getFrameCount(), 5);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(b.getChannel(c), b.getChannel(0) + c * 5);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(b.getChannel(c)[i], 0.0f);
    }
    for (int c = 3; c < Audio::kMaxBlockChannels; ++c)
        EXPECT_EQ(b.getChannels()[c], nullptr);
    // A smaller resize drops the pointers of the channels it no longer has, up to the last one.
    b.resize(10, 4);
    b.getChannel(9)[3] = 0.5f;
    b.resize(2, 8);
    EXPECT_EQ(b.getChannels()[2], nullptr);
    EXPECT_EQ(b.getChannels()[9], nullptr);
    EXPECT_EQ(b.getChannel(1), b.getChannel(0) + 8);
}

TEST(AudioBlock, MoreThanTenChannelsAreRefusedAndTheBlockKept) {
    CAudioBlock b;
    b.resize(2, 16);
    float* before = b.getChannel(0);
    EXPECT_THROW(b.resize(11, 16), std::invalid_argument);
    EXPECT_THROW(b.resize(2, -1), std::invalid_argument);
    EXPECT_EQ(b.getChannel(0), before);
    EXPECT_EQ(b.getChannelCount(), 2);
}
