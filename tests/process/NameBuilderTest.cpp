// Destination names that carry the processing settings.
#include <gtest/gtest.h>

#include "process/NameBuilder.h"

using Process::NameBuilder;

namespace {
NameBuilder soundFileNames() {
    NameBuilder names;
    names.semitones = 1.0f;
    names.cents = 50.0f;
    names.timeFactor = 1.5f;
    return names;
}
} // namespace

TEST(NameBuilder, PartsAfterOrBeforeTheTitle) {
    NameBuilder names = soundFileNames();
    EXPECT_EQ(names.compose("/music/SoundFile.wav", 3), "/music/SoundFile P1.50 T1.50 3.wav");
    names.partsBeforeTitle = true;
    EXPECT_EQ(names.compose("/music/SoundFile.wav", 3), "/music/P1.50 T1.50 3 SoundFile.wav");
}

TEST(NameBuilder, EachPartCanBeLeftOut) {
    NameBuilder names = soundFileNames();
    names.includePitch = false;
    EXPECT_EQ(names.compose("/m/a.wav", 2), "/m/a T1.50 2.wav");
    names.includeTime = false;
    EXPECT_EQ(names.compose("/m/a.wav", 2), "/m/a 2.wav");
    names.includeIndex = false;
    EXPECT_EQ(names.compose("/m/a.wav", 2), "/m/a.wav");
    names.includePitch = true;
    names.partsBeforeTitle = true;
    EXPECT_EQ(names.compose("/m/a.wav", 2), "/m/P1.50 a.wav");
}

TEST(NameBuilder, NegativeAndFractionalValuesPrintAsTheyCome) {
    NameBuilder names;
    names.semitones = -2.0f;
    names.cents = -50.0f;
    names.timeFactor = 0.8f;
    EXPECT_EQ(names.compose("/m/a.wav", 4), "/m/a P-2.-50 T0.80 4.wav");
    names.semitones = 0.0f;
    names.cents = 0.0f;
    names.timeFactor = 12.0f;
    EXPECT_EQ(names.compose("/m/a.wav", 10), "/m/a P0.0 T12.00 10.wav");
}

TEST(NameBuilder, TargetDirectoryGetsASlash) {
    NameBuilder names = soundFileNames();
    names.targetDirectory = "/out";
    EXPECT_EQ(names.compose("/music/SoundFile.wav", 2), "/out/SoundFile P1.50 T1.50 2.wav");
    names.targetDirectory = "/out/";
    EXPECT_EQ(names.compose("/music/SoundFile.wav", 2), "/out/SoundFile P1.50 T1.50 2.wav");
}

TEST(NameBuilder, EmptyTargetDirectoryWritesBesideTheSource) {
    NameBuilder names = soundFileNames();
    EXPECT_EQ(names.compose("/a/b.c/Song.aif", 2), "/a/b.c/Song P1.50 T1.50 2.aif");
    EXPECT_EQ(names.compose("Song.wav", 2), "Song P1.50 T1.50 2.wav");
}

TEST(NameBuilder, TitleEndsAtTheLastDot) {
    NameBuilder names = soundFileNames();
    names.includePitch = names.includeTime = false;
    EXPECT_EQ(names.compose("/m/take.one.wav", 5), "/m/take.one 5.wav");
}
