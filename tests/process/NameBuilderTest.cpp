// Destination names that carry the processing settings.
#include <functional>

#include <gtest/gtest.h>

#include "process/NameBuilder.h"

using Process::NameBuilder;

// Each row starts from pitch 1 semitone 50 cents, time 1.5, every part after the title.
TEST(NameBuilder, ComposesTheEnabledPartsAroundTheTitle) {
    struct Row {
        std::function<void(NameBuilder&)> set;
        const char* source;
        int index;
        const char* expected;
    };
    const Row rows[] = {
        {[](NameBuilder&) {}, "/music/SoundFile.wav", 3, "/music/SoundFile P1.50 T1.50 3.wav"},
        {[](NameBuilder& n) { n.partsBeforeTitle = true; }, "/music/SoundFile.wav", 3,
         "/music/P1.50 T1.50 3 SoundFile.wav"},
        {[](NameBuilder& n) { n.includePitch = false; }, "/m/a.wav", 2, "/m/a T1.50 2.wav"},
        {[](NameBuilder& n) { n.includePitch = n.includeTime = false; }, "/m/a.wav", 2,
         "/m/a 2.wav"},
        {[](NameBuilder& n) { n.includePitch = n.includeTime = n.includeIndex = false; },
         "/m/a.wav", 2, "/m/a.wav"},
        {[](NameBuilder& n) { n.includeTime = n.includeIndex = false, n.partsBeforeTitle = true; },
         "/m/a.wav", 2, "/m/P1.50 a.wav"},
        {[](NameBuilder& n) { n.semitones = -2.0f, n.cents = -50.0f, n.timeFactor = 0.8f; },
         "/m/a.wav", 4, "/m/a P-2.-50 T0.80 4.wav"},
        {[](NameBuilder& n) { n.semitones = 0.0f, n.cents = 0.0f, n.timeFactor = 12.0f; },
         "/m/a.wav", 10, "/m/a P0.0 T12.00 10.wav"},
        {[](NameBuilder& n) { n.targetDirectory = "/out"; }, "/music/SoundFile.wav", 2,
         "/out/SoundFile P1.50 T1.50 2.wav"},
        {[](NameBuilder& n) { n.targetDirectory = "/out/"; }, "/music/SoundFile.wav", 2,
         "/out/SoundFile P1.50 T1.50 2.wav"},
        {[](NameBuilder&) {}, "/a/b.c/Song.aif", 2, "/a/b.c/Song P1.50 T1.50 2.aif"},
        {[](NameBuilder&) {}, "Song.wav", 2, "Song P1.50 T1.50 2.wav"},
        {[](NameBuilder& n) { n.includePitch = n.includeTime = false; }, "/m/take.one.wav", 5,
         "/m/take.one 5.wav"},
        {[](NameBuilder& n) { n.extension = "flac"; }, "/m/a.MP3", 2, "/m/a P1.50 T1.50 2.flac"},
        {[](NameBuilder& n) { n.extension = "flac", n.partsBeforeTitle = true; }, "/m/a.b.ogg", 3,
         "/m/P1.50 T1.50 3 a.b.flac"},
        {[](NameBuilder& n) { n.extension = "wav"; }, "/m.x/take", 2,
         "/m.x/take P1.50 T1.50 2.wav"},
    };
    for (const Row& r : rows) {
        NameBuilder names;
        names.semitones = 1.0f;
        names.cents = 50.0f;
        names.timeFactor = 1.5f;
        r.set(names);
        EXPECT_EQ(names.compose(r.source, r.index), r.expected);
    }
}
