// The table of formats: how names are recognised, which format a result gets, what the
// dialogs list and what a format cannot hold.
#include <gtest/gtest.h>

#include "audio/FileFormats.h"
#include "support/TestSupport.h"

using namespace Audio;

TEST(FileFormats, ExtensionsNameTheFormatInAnyCase) {
    const std::pair<const char*, FileType> rows[] = {
        {"a.wav", WavType},
        {"/m/B.WAV", WavType},
        {"c.aif", AiffType},
        {"d.Aiff", AiffType},
        {"e.flac", FlacType},
        {"f.FLAC", FlacType},
        {"g.ogg", OggVorbisType},
        {"h.oga", OggVorbisType},
        {"i.opus", OpusType},
        {"j.Mp3", Mp3Type},
        {"k.rf64", Rf64Type},
        {"l.w64", Wave64Type},
        {"m.caf", CafType},
        {"song.flac.mp3", Mp3Type},
        {"n.mp2", UnknownType},
        {"noext", UnknownType},
        {"dir.flac/noext", UnknownType},
        {"o.", UnknownType},
    };
    for (const auto& [path, type] : rows)
        EXPECT_EQ(fileTypeFromExtension(path), type) << path;
}

// A lossless source keeps its format, a lossy one gives FLAC; what the user asks for wins,
// unless it cannot be written.
TEST(FileFormats, ResultFormatBySourceAndRequest) {
    struct Row {
        FileType source, asked, result;
    };
    const Row rows[] = {
        {WavType, UnknownType, WavType},       {AiffType, UnknownType, AiffType},
        {FlacType, UnknownType, FlacType},     {Rf64Type, UnknownType, Rf64Type},
        {Wave64Type, UnknownType, Wave64Type}, {CafType, UnknownType, CafType},
        {Mp3Type, UnknownType, FlacType},      {OggVorbisType, UnknownType, FlacType},
        {OpusType, UnknownType, FlacType},     {Mp3Type, WavType, WavType},
        {FlacType, AiffType, AiffType},        {WavType, Rf64Type, Rf64Type},
        {WavType, Mp3Type, WavType},           {OpusType, OggVorbisType, FlacType},
        {UnknownType, UnknownType, WavType},
    };
    for (const Row& r : rows)
        EXPECT_EQ(resultTypeFor(r.source, r.asked), r.result)
            << "source " << r.source << " asked " << r.asked;
}

// The open dialog lists every name the opener accepts, upper case too; entry k is row k.
TEST(FileFormats, DialogFiltersListEveryAcceptedName) {
    const std::string open = openDialogFilter();
    for (const char* pattern :
         {"*.wav", "*.WAV", "*.aif", "*.AIF", "*.aiff", "*.AIFF", "*.flac", "*.FLAC", "*.ogg",
          "*.oga", "*.opus", "*.mp3", "*.MP3", "*.rf64", "*.w64", "*.caf"})
        EXPECT_NE(open.find(std::string(pattern) + ";"), std::string::npos) << pattern;
    EXPECT_EQ(open.rfind("All Audiofiles | *.wav; *.WAV; *.aif; *.AIF; *.aiff; *.AIFF; *.flac", 0),
              0u)
        << open;
    EXPECT_NE(open.find("|AIFF Files (*.aif) | *.aif; *.AIF; *.aiff; *.AIFF|"), std::string::npos);
    EXPECT_EQ(open.substr(open.size() - 2), "||");
    EXPECT_EQ(openFilterFormat(0), nullptr);
    EXPECT_EQ(openFilterFormat(1)->type, WavType);
    EXPECT_EQ(openFilterFormat(static_cast<int>(fileFormats().size()))->type, CafType);
    EXPECT_EQ(openFilterFormat(static_cast<int>(fileFormats().size()) + 1), nullptr);
    EXPECT_EQ(singleFormatFilter(AiffType), "AIFF Files (*.aif) | *.aif; *.AIF; *.aiff; *.AIFF||");

    EXPECT_EQ(saveDialogFilter(),
              "Wave Files (*.wav)|*.wav|AIFF Files (*.aif)|*.aif|FLAC Files (*.flac)|*.flac||");
    EXPECT_EQ(saveFilterFormat(1)->type, AiffType);
    EXPECT_EQ(saveFilterFormat(2)->type, FlacType);
    EXPECT_EQ(saveFilterFormat(3)->type, WavType) << "an unknown entry saves WAV";
}

// A result the format cannot hold is refused before anything is written, with its size.
TEST(FileFormats, ResultsBeyondWhatTheFormatHoldsAreRefused) {
    const u64 aiffMost = formatOf(AiffType)->maxDataBytes;
    EXPECT_NO_THROW(checkResultSize(AiffType, aiffMost));
    EXPECT_EQ(
        TestSupport::errorText<std::runtime_error>([] { checkResultSize(AiffType, u64{6} << 30); }),
        "the result would hold 6.00 GiB of samples, more than AIFF files can hold "
        "(4.00 GiB); choose WAV or FLAC as the result format");
    EXPECT_ANY_THROW(checkResultSize(AiffType, aiffMost + 1));
    for (FileType type : {WavType, FlacType, Rf64Type, Wave64Type, CafType})
        EXPECT_NO_THROW(checkResultSize(type, u64{1} << 40)) << type;
    EXPECT_EQ(writableKeys(), "wav, aiff, flac, rf64, w64 or caf");
}
