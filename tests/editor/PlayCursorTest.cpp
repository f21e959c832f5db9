// The play and preview cursors, and the preview's range.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "editor/PlayCursor.h"
#include "editor/PreviewRange.h"
#include "markpoints/MarkPoint.h"
#include "support/TestSupport.h"

#include "support/CurveFrames.h"

using namespace Editor;
using namespace MarkPoints;
using TestSupport::curveOf;

TEST(PlayCursor, PlainPlayLoopsOverTheRange) {
    struct Row {
        std::int64_t elapsed, start, end, expected;
    };
    const std::vector<Row> rows{
        {0, 100, 200, 100},   {99, 100, 200, 199}, {100, 100, 200, 100},
        {250, 100, 200, 150}, {5, 100, 100, 100},  {-3, 100, 200, 100},
    };
    for (const Row& r : rows)
        EXPECT_EQ(playCursorFrame(r.elapsed, r.start, r.end), r.expected) << r.elapsed;
    EXPECT_EQ(elapsedSourceFrames(48000, 44100, 48000), 44100);
    EXPECT_EQ(elapsedSourceFrames(1, 44100, 48000), 0);
    EXPECT_EQ(elapsedSourceFrames(100, 44100, 0), 0);
}

TEST(PlayCursor, PreviewWithFlatCurvesScalesByTheFactors) {
    struct Row {
        float time, pitch;
        std::int64_t start, end;
    };
    // Time 2: twice the output per source frame; pitch 2: half the output per step, and the
    // same length in the end.
    for (const Row r : {Row{2.0f, 1.0f, 0, 300000}, Row{2.0f, 1.0f, 51200, 300000},
                        Row{1.0f, 2.0f, 25600, 200000}, Row{0.5f, 1.0f, 0, 100000}}) {
        const auto length = static_cast<std::uint64_t>((r.end - r.start) * r.time);
        PreviewCursor cursor(curveOf({{0, r.time, LINEAR, 0}}), curveOf({{0, r.pitch, LINEAR, 0}}),
                             512.0, r.start, r.end, length);
        EXPECT_EQ(cursor.outputBeforeRange(), static_cast<std::uint64_t>(r.start * r.time));
        const auto last = static_cast<std::int64_t>(length) - 1;
        for (const std::int64_t e : {std::int64_t{0}, std::int64_t{1000}, last / 3, last}) {
            const std::int64_t expected = r.start + static_cast<std::int64_t>(e / r.time);
            EXPECT_NEAR(cursor.frameAt(e), expected, 1.0) << r.time << " " << r.pitch << " " << e;
            EXPECT_LE(cursor.frameAt(e), r.end);
        }
        // The preview loops, and earlier positions after later ones walk again from the start.
        EXPECT_EQ(cursor.frameAt(static_cast<std::int64_t>(length) + 1000), cursor.frameAt(1000));
    }
}

TEST(PlayCursor, PreviewFollowsATimeStep) {
    // Time 1 up to frame 100000, 2 from there on.
    const CMarkPointArray time = curveOf({{100000, 2.0f, SQUARE, 0}});
    const CMarkPointArray flat;
    PreviewCursor whole(time, flat, 512.0, 0, 300000, 500000);
    EXPECT_NEAR(whole.frameAt(50000), 50000, 1);
    EXPECT_NEAR(whole.frameAt(150000), 125000, 512);
    EXPECT_NEAR(whole.frameAt(400000), 250000, 512);
    // An output longer than the curves give never moves the cursor past the range.
    PreviewCursor longer(time, flat, 512.0, 0, 300000, 900000);
    EXPECT_EQ(longer.frameAt(800000), 300000);

    // A range from the step on: the output before it counts at time 1.
    PreviewCursor part(time, flat, 512.0, 200000, 300000, 200000);
    EXPECT_NEAR(static_cast<double>(part.outputBeforeRange()), 300000, 512);
    EXPECT_NEAR(part.frameAt(0), 200000, 1);
    EXPECT_NEAR(part.frameAt(100000), 250000, 1);
    EXPECT_EQ(part.frameAt(10000000), part.frameAt(10000000 % 200000));
}

TEST(PreviewRange, SixtyMinutesAtMost) {
    const std::int64_t minute = 44100LL * 60;
    const std::string refused = kPreviewTooLong;
    EXPECT_EQ(TestSupport::errorText<std::length_error>([&] {
                  previewRange(FrameRange{0, 61 * minute}, 70 * minute, 44100);
              }),
              refused);
    EXPECT_EQ(TestSupport::errorText<std::length_error>(
                  [&] { previewRange(std::nullopt, 61 * minute, 44100); }),
              refused);
    EXPECT_EQ(previewRange(FrameRange{minute, 60 * minute}, 70 * minute, 44100),
              (FrameRange{minute, 60 * minute}));
    EXPECT_EQ(previewRange(std::nullopt, 60 * minute, 44100), (FrameRange{0, 60 * minute}));
    // A selection reaching past the end is cut to the file; an empty one means the file.
    EXPECT_EQ(previewRange(FrameRange{1000, 5000}, 3000, 44100), (FrameRange{1000, 3000}));
    EXPECT_EQ(previewRange(FrameRange{500, 500}, 3000, 44100), (FrameRange{0, 3000}));
}
