#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "markpoints/AnchorPointsLoadSave.h"
#include "support/Bytes.h"
#include "support/BytesFile.h"
#include "support/TestSupport.h"

using namespace MarkPoints;

namespace {
using Bytes = std::vector<unsigned char>;

using Builder = TestSupport::Bytes;
using TestSupport::be32At;

Bytes chunk(const char* id, const Bytes& body) {
    return Builder().text(id).be32(static_cast<std::uint32_t>(body.size())).append(body).data;
}

Bytes infoChunk(std::uint32_t rate = 44100) {
    return chunk("INFO", Builder()
                             .be32(1)
                             .be32(rate)
                             .be32(std::bit_cast<std::uint32_t>(120.0f))
                             .be32(4)
                             .zeros(104)
                             .data);
}

Bytes record(double value, std::uint32_t style, std::int32_t frame) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    return Builder()
        .be32(static_cast<std::uint32_t>(bits >> 32))
        .be32(static_cast<std::uint32_t>(bits))
        .be32(style)
        .be32(static_cast<std::uint32_t>(frame))
        .zeros(48)
        .data;
}

Bytes dataChunk(std::uint32_t scaleId, const std::vector<Bytes>& records) {
    Builder body;
    body.be32(scaleId).be32(static_cast<std::uint32_t>(records.size())).zeros(112);
    for (const Bytes& r : records)
        body.append(r);
    return chunk("DATA", body.data);
}

Bytes container(const std::vector<Bytes>& chunks, std::int64_t sizeField = -1) {
    Builder body;
    for (const Bytes& c : chunks)
        body.append(c);
    const auto size = sizeField < 0 ? body.data.size() + 4 : static_cast<std::size_t>(sizeField);
    return Builder()
        .text("APDF")
        .be32(static_cast<std::uint32_t>(size))
        .text("SW2F")
        .append(body.data)
        .data;
}

CAnchorPointsLoadSave readBytes(const Bytes& bytes) {
    BytesFile file(bytes);
    CAnchorPointsLoadSave content;
    content.read(file);
    return content;
}

std::string readError(const Bytes& bytes) {
    return TestSupport::errorText<std::runtime_error>([&] { readBytes(bytes); });
}

Bytes written(const CAnchorPointsLoadSave& content) {
    BytesFile file;
    content.write(file);
    return file.data();
}
} // namespace

TEST(MarkPointFileLayout, EmptyCurvesGive524Bytes) {
    CAnchorPointsLoadSave content;
    content.setSampleRate(48000);
    content.setBaseBpm(98.5f);
    const Bytes b = written(content);
    ASSERT_EQ(b.size(), 524u);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "APDF");
    EXPECT_EQ(be32At(b, 4), 516u);
    EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "SW2FINFO");
    EXPECT_EQ(be32At(b, 16), 120u);
    EXPECT_EQ(be32At(b, 20), 1u);
    EXPECT_EQ(be32At(b, 24), 48000u);
    EXPECT_EQ(be32At(b, 28), std::bit_cast<std::uint32_t>(98.5f));
    EXPECT_EQ(be32At(b, 32), 4u);
    for (std::uint32_t id = 1; id <= 3; ++id) {
        const std::size_t at = 140 + 128 * (id - 1);
        EXPECT_EQ(std::string(b.begin() + at, b.begin() + at + 4), "DATA");
        EXPECT_EQ(be32At(b, at + 4), 120u);
        EXPECT_EQ(be32At(b, at + 8), id);
        EXPECT_EQ(be32At(b, at + 12), 0u);
    }
}

TEST(MarkPointFileLayout, PointRecordsAreBigEndianWithTheirFiller) {
    CAnchorPointsLoadSave content;
    content.getScale(SCALE_PITCH).insertUnique({0x180, 1.5f, SQUARE, 1});
    content.getScale(SCALE_PITCH).insertUnique({0x200, 0.5f, KEEP, 0});
    content.getScale(SCALE_FORMANT).insertUnique({7, 2.0f, LINEAR, 0});
    const Bytes b = written(content);
    ASSERT_EQ(b.size(), 524u + 3 * 64);
    EXPECT_EQ(be32At(b, 4), 516u + 3 * 64);
    const std::size_t pitchHead = 140 + 128;
    EXPECT_EQ(be32At(b, pitchHead + 4), 2 * 64 + 120u);
    const Bytes first(b.begin() + pitchHead + 128, b.begin() + pitchHead + 192);
    Bytes expected = record(1.5, SQUARE, 0x180);
    for (int i = 16; i < 20; ++i)
        expected[i] = 0xFF; // bit 7 of the frame is set
    EXPECT_EQ(first, expected);
    const Bytes second(b.begin() + pitchHead + 192, b.begin() + pitchHead + 256);
    EXPECT_EQ(second, record(0.5, KEEP, 0x200));
}

TEST(MarkPointFileLayout, WriteAndReadBackKeepEverythingButTheSelection) {
    CAnchorPointsLoadSave content;
    content.setSampleRate(96000);
    content.setBaseBpm(133.25f);
    content.getScale(SCALE_TIME).insertUnique({100, 0.3333f, LINEAR, 1});
    content.getScale(SCALE_TIME).insertUnique({0, 10.0f, SQUARE, 0});
    content.getScale(SCALE_FORMANT).insertUnique({INT32_MAX, 0.1f, KEEP, 0});
    const CAnchorPointsLoadSave back = readBytes(written(content));
    EXPECT_EQ(back.getSampleRate(), 96000u);
    EXPECT_EQ(back.getBaseBpm(), 133.25f);
    EXPECT_EQ(back.getFirstInfoWord(), 1u);
    EXPECT_EQ(back.getFourthInfoWord(), 4u);
    CMarkPointArray expected = content.getScale(SCALE_TIME);
    expected[1].selected = 0;
    EXPECT_EQ(back.getScale(SCALE_TIME), expected);
    EXPECT_TRUE(back.getScale(SCALE_PITCH).empty());
    EXPECT_EQ(back.getScale(SCALE_FORMANT), content.getScale(SCALE_FORMANT));
}

TEST(MarkPointFileLayout, ManyPointsGoInSeveralBatches) {
    CAnchorPointsLoadSave content;
    const std::int32_t n = 70000;
    for (std::int32_t i = 0; i < n; ++i)
        content.getScale(SCALE_PITCH).append({i * 3, 0.25f + (i % 100) * 0.0375f, LINEAR, 0});
    const Bytes b = written(content);
    ASSERT_EQ(b.size(), 524u + 64u * n);
    const CAnchorPointsLoadSave back = readBytes(b);
    EXPECT_EQ(back.getScale(SCALE_PITCH), content.getScale(SCALE_PITCH));
}

TEST(MarkPointFileLayout, ShortWritesNameTheirStage) {
    CAnchorPointsLoadSave content;
    for (std::int32_t i = 0; i < 10; ++i)
        content.getScale(SCALE_TIME).append({i, 1.0f, LINEAR, 0});
    const std::pair<std::size_t, const char*> cases[] = {
        {5, "error while writing containerchunk!"},
        {100, "error while writing headerchunk!"},
        {200, "error while writing AnchorPointsChunk!"},
        {300, "cannot save mark point file properly!"},
    };
    for (const auto& [limit, message] : cases) {
        BytesFile file;
        file.limitTo(limit);
        EXPECT_EQ(TestSupport::errorText<std::runtime_error>([&] { content.write(file); }),
                  message);
    }
}

TEST(MarkPointFileReading, ChunkWalk) {
    const Bytes info = infoChunk();
    const Bytes time = dataChunk(SCALE_TIME, {record(2.0, LINEAR, 30), record(0.5, SQUARE, 10)});
    const Bytes moreTime = dataChunk(SCALE_TIME, {record(1.5, KEEP, 20)});
    const Bytes foreign = chunk("JUNK", Bytes(13, 0xAB));

    // Foreign chunks between and after the DATA chunks are skipped; two DATA chunks of one
    // scale add up and come out sorted.
    const CAnchorPointsLoadSave walked =
        readBytes(container({info, foreign, time, moreTime, foreign}));
    const CMarkPointArray& curve = walked.getScale(SCALE_TIME);
    ASSERT_EQ(curve.size(), 3u);
    EXPECT_EQ(curve[0], (CMarkPoint{10, 0.5f, SQUARE, 0}));
    EXPECT_EQ(curve[1], (CMarkPoint{20, 1.5f, KEEP, 0}));
    EXPECT_EQ(curve[2], (CMarkPoint{30, 2.0f, LINEAR, 0}));

    // Empty curves are an INFO chunk alone.
    EXPECT_TRUE(readBytes(container({info})).getScale(SCALE_TIME).empty());
    // A longer INFO body is skipped past, keeping the walk in step.
    Bytes longInfo = infoChunk();
    longInfo.insert(longInfo.end(), 40, 0x11);
    longInfo[7] = 160;
    EXPECT_EQ(readBytes(container({longInfo, time})).getScale(SCALE_TIME).size(), 2u);
}

TEST(MarkPointFileReading, PointsOnOneFrameAreMergedKeepingTheFirst) {
    const CAnchorPointsLoadSave content = readBytes(container(
        {infoChunk(), dataChunk(SCALE_TIME, {record(2.0, LINEAR, 30), record(3.0, SQUARE, 30)}),
         dataChunk(SCALE_TIME, {record(0.5, LINEAR, 30)})}));
    ASSERT_EQ(content.getScale(SCALE_TIME).size(), 1u);
    EXPECT_EQ(content.getScale(SCALE_TIME)[0].value, 2.0f);
}

// Every way a file can be foreign, hold less than it claims, or claim what a curve cannot hold
// is refused with the problem named.
TEST(MarkPointFileReading, BrokenFilesAreRefused) {
    const Bytes info = infoChunk();
    const Bytes time = dataChunk(SCALE_TIME, {record(2.0, LINEAR, 30)});
    const Bytes pitch = dataChunk(SCALE_PITCH, {record(1.5, LINEAR, 10)});
    const Bytes good = container({info, time, pitch});
    const std::string invalid = "cannot read header because this file is not valid!";
    const std::string corrupt = "mark point file is corrupt! ";
    const std::string pastEnd = corrupt + "a chunk runs past the end of the file";
    const std::string tooMany = corrupt + "a DATA chunk counts more points than it holds";
    const std::string notFinite = corrupt + "a value is not a finite number";
    const std::size_t timeAt = 12 + 128;
    const auto withByte = [](Bytes b, std::size_t at, unsigned char value) {
        b.at(at) = value;
        return b;
    };
    const auto cutAfter = [&](std::size_t bytes) {
        return "it ends after " + std::to_string(bytes) + " of the " + std::to_string(good.size()) +
               " bytes its container counts";
    };
    const auto formant = [&](double value) {
        return container(
            {info, dataChunk(SCALE_FORMANT, {record(1.0, LINEAR, 5), record(value, LINEAR, 9)})});
    };

    // The last curve counts a second point that lies beyond its chunk, after the container.
    Bytes phantom = container({info, time});
    const Bytes after = record(3.0, LINEAR, 99);
    phantom.insert(phantom.end(), after.begin(), after.end());
    phantom[timeAt + 15] = 2;
    Bytes noise(good.begin(), good.begin() + 12);
    for (unsigned i = 0; i < 300; ++i)
        noise.push_back(static_cast<unsigned char>(i * 7919 >> 3));
    Bytes allPoints = container({info, time});
    std::fill_n(allPoints.begin() + timeAt + 12, 4, 0xFF); // counts 2^32 - 1 points

    const std::pair<Bytes, std::string> rows[] = {
        {withByte(good, 8, 'X'), invalid},
        {Bytes(good.begin(), good.begin() + 11), invalid},
        {container({time, info}),
         "error in AnchorPoint File! INFO chunk must be read before any DATA chunk!"},
        {container({info, dataChunk(4, {})}),
         "CAnchorPointsLoadSave::getScale() Scale not identified!"},
        {Bytes(good.begin(), good.begin() + timeAt + 5), "cannot read ChunkHeader completely!"},
        {phantom, tooMany},
        {withByte(container({info, time}), timeAt + 15, 2), tooMany},
        {allPoints, tooMany},
        {noise, pastEnd},
        {withByte(good, 12 + 6, 0x7F), pastEnd}, // INFO size 0x7F78
        {container({info, chunk("DATA", {}), pitch}),
         corrupt + "a DATA chunk is shorter than its head"},
        {Bytes(good.begin(), good.begin() + 12), corrupt + "it holds no INFO chunk"},
        {container({}, 4), corrupt + "it holds no INFO chunk"},
        {Bytes(good.begin(), good.end() - 1), pastEnd},
        {Bytes(good.begin(), good.begin() + timeAt + 8 + 60), pastEnd},
        // Cut between two chunks, or claiming more: the last curves would be lost unseen.
        {Bytes(good.begin(), good.begin() + timeAt), corrupt + cutAfter(timeAt)},
        {Bytes(good.begin(), good.begin() + timeAt + time.size()),
         corrupt + cutAfter(timeAt + time.size())},
        {container({info, time}, 0x7FFFFFF0), corrupt + "it ends after " +
                                                  std::to_string(timeAt + time.size()) +
                                                  " of the 2147483640 bytes its container counts"},
        {container({info, dataChunk(SCALE_TIME, {record(2.0, LINEAR, -1)})}),
         corrupt + "a point stands at a negative frame"},
        {container(
             {info, dataChunk(SCALE_PITCH, {record(1.0, LINEAR, 0), record(0.0, LINEAR, 9)})}),
         corrupt + "a value is not above 0"},
        {container({info, dataChunk(SCALE_FORMANT, {record(-2.0, LINEAR, 5)})}),
         corrupt + "a value is not above 0"},
        {formant(std::numeric_limits<double>::quiet_NaN()), notFinite},
        {formant(std::numeric_limits<double>::infinity()), notFinite},
        {formant(-std::numeric_limits<double>::infinity()), notFinite},
        {formant(1e300), notFinite}, // finite as a double, infinite as the float it becomes
    };
    for (std::size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(readError(rows[i].first), rows[i].second) << "row " << i;
}

TEST(MarkPointFileReading, EdgeValuesAreKept) {
    // The last point of the last curve, at frame 0 and a tiny positive value, is kept.
    const Bytes edge =
        container({infoChunk(),
                   dataChunk(SCALE_FORMANT, {record(2.0, LINEAR, 5), record(1e-30, LINEAR, 0)})});
    EXPECT_EQ(readBytes(edge).getScale(SCALE_FORMANT).size(), 2u);
    // Positive values outside 0.25 .. 4 are kept as they are.
    const Bytes odd =
        container({infoChunk(),
                   dataChunk(SCALE_FORMANT, {record(20.0, LINEAR, 5), record(0.01, SQUARE, 9)})});
    const CAnchorPointsLoadSave content = readBytes(odd);
    const CMarkPointArray& curve = content.getScale(SCALE_FORMANT);
    ASSERT_EQ(curve.size(), 2u);
    EXPECT_EQ(curve[0].value, 20.0f);
    EXPECT_EQ(curve[1].value, 0.01f);
}
