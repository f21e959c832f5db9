#include <gtest/gtest.h>

#include "audio/FormatCapacity.h"
#include "support/AudioFiles.h"

using namespace Audio;

// The 32-bit size fields of WAV and AIFF count the header after them too: the last frame that
// fits and the first that does not, for each type.
TEST(FormatCapacity, ResultsUpTo4GiBLessTheHeaderFit) {
    const AudioFormat stereo16 = TestSupport::makeFormat(2, 44100, 16);
    const struct {
        FileType type;
        u64 largest;
    } rows[] = {{WavType, 4294967295u - 36}, {AiffType, 4294967295u - 46}};
    for (const auto& row : rows) {
        EXPECT_EQ(largestAudioBytes(row.type), row.largest);
        EXPECT_EQ(sizeBeyondFormat(row.type, stereo16, row.largest / 4), "");
        EXPECT_NE(sizeBeyondFormat(row.type, stereo16, row.largest / 4 + 1), "");
    }
    EXPECT_EQ(sizeBeyondFormat(WavType, TestSupport::makeFormat(1, 8000, 24), 2000000000),
              "the result needs 6000000000 bytes (5.59 GiB) of sound, more than the 4294967259 "
              "bytes (4 GiB) that a WAV file can hold");
    EXPECT_NE(sizeBeyondFormat(AiffType, stereo16, u64{1} << 62).find("an AIFF file"),
              std::string::npos);
}
