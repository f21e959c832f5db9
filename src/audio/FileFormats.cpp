#include "audio/FileFormats.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <limits>
#include <sndfile.h>
#include <stdexcept>

#include "audio/AiffFile.h"
#include "audio/AudioFileOpener.h"
#include "audio/DataFile.h"
#include "audio/Rf64File.h"
#include "audio/SndFile.h"
#include "audio/WaveFile.h"

namespace Audio {

namespace {

constexpr u64 kUnlimited = std::numeric_limits<u64>::max();
// What a 32-bit container size counts besides the samples of a written AIFF file.
constexpr u64 kAiffLimit = 0xFFFFFFFFu - (CAiffFile::headerBytes - 8);
// A WAV result expected to hold this much is written with room for RF64: estimates of a
// result's length can be off, but never by half.
constexpr u64 kRoomForRf64From = u64{1} << 31;

u32 sameBits(u32 bits) {
    return bits;
}

// FLAC is written with 16 or 24 bits: 8 bits gain nothing by staying, 20 and 32 (floats) are
// kept as closely as FLAC can.
u32 flacBits(u32 bits) {
    return bits <= 16 ? 16 : 24;
}

std::unique_ptr<CAudioFile> makeWave(std::unique_ptr<CFile> file, u64 expectedBytes) {
    if (expectedBytes >= kRoomForRf64From)
        return std::make_unique<CRf64File>(std::move(file), CRf64File::Layout::RiffUntilLarge);
    return std::make_unique<CWaveFile>(std::move(file));
}

std::unique_ptr<CAudioFile> makeRf64(std::unique_ptr<CFile> file, u64) {
    return std::make_unique<CRf64File>(std::move(file), CRf64File::Layout::Rf64);
}

std::unique_ptr<CAudioFile> makeAiff(std::unique_ptr<CFile> file, u64) {
    return std::make_unique<CAiffFile>(std::move(file));
}

template <int container> std::unique_ptr<CAudioFile> makeSndFile(std::unique_ptr<CFile> file, u64) {
    return std::make_unique<CSndFile>(std::move(file), container);
}

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string upperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// "*.aif; *.AIF; *.aiff; *.AIFF": dialogs that match case find upper-case names too.
std::string patternsOf(const FileFormat& f) {
    std::string patterns;
    for (const std::string& ext : f.extensions) {
        for (const std::string& spelled : {ext, upperCase(ext)}) {
            if (!patterns.empty()) patterns += "; ";
            patterns += "*." + spelled;
        }
    }
    return patterns;
}

std::string filterEntry(const FileFormat& f) {
    return std::string(f.filterName) + " (*." + f.extensions[0] + ") | " + patternsOf(f) + "|";
}

std::vector<const FileFormat*> offeredFormats() {
    std::vector<const FileFormat*> offered;
    for (const FileFormat& f : fileFormats())
        if (f.offered && f.writtenBits) offered.push_back(&f);
    return offered;
}

} // namespace

const std::vector<FileFormat>& fileFormats() {
    static const std::vector<FileFormat> table{
        {WavType,
         "wav",
         {"wav"},
         "wav",
         "MS RIFF Wave (PCM)",
         "PCM Wave",
         "Wave Files",
         "wave",
         false,
         true,
         0,
         makeWave,
         sameBits,
         kUnlimited},
        {AiffType,
         "aiff",
         {"aif", "aiff"},
         "aif",
         "Audio IFF",
         "AIFF",
         "AIFF Files",
         "aiff",
         false,
         true,
         0,
         makeAiff,
         sameBits,
         kAiffLimit},
        {FlacType,
         "flac",
         {"flac"},
         "flac",
         "FLAC",
         "FLAC",
         "FLAC Files",
         "flac",
         false,
         true,
         SF_FORMAT_FLAC,
         makeSndFile<SF_FORMAT_FLAC>,
         flacBits,
         kUnlimited},
        {OggVorbisType,
         "ogg",
         {"ogg", "oga"},
         "ogg",
         "Ogg Vorbis",
         "Ogg Vorbis",
         "Ogg Vorbis Files",
         "ogg",
         true,
         false,
         SF_FORMAT_OGG | SF_FORMAT_VORBIS,
         makeSndFile<SF_FORMAT_OGG>,
         nullptr,
         0},
        {OpusType,
         "opus",
         {"opus"},
         "opus",
         "Opus",
         "Opus",
         "Opus Files",
         "opus",
         true,
         false,
         SF_FORMAT_OGG | SF_FORMAT_OPUS,
         makeSndFile<SF_FORMAT_OGG>,
         nullptr,
         0},
        {Mp3Type,
         "mp3",
         {"mp3"},
         "mp3",
         "MPEG Layer III",
         "MP3",
         "MP3 Files",
         "mp3",
         true,
         false,
         SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III,
         makeSndFile<SF_FORMAT_MPEG>,
         nullptr,
         0},
        // RF64 is WAV for files beyond 4 GiB, and named like one; a large WAV result becomes
        // RF64 by itself. Asked for explicitly, a result is RF64 from the start.
        {Rf64Type,
         "rf64",
         {"rf64"},
         "wav",
         "RF64 Wave (PCM)",
         "RF64 Wave",
         "RF64 Files",
         "rf64",
         false,
         false,
         0,
         makeRf64,
         sameBits,
         kUnlimited},
        {Wave64Type,
         "w64",
         {"w64"},
         "w64",
         "Sony Wave64",
         "Wave64",
         "Wave64 Files",
         "w64",
         false,
         false,
         SF_FORMAT_W64,
         makeSndFile<SF_FORMAT_W64>,
         sameBits,
         kUnlimited},
        {CafType,
         "caf",
         {"caf"},
         "caf",
         "Core Audio Format",
         "CAF",
         "CAF Files",
         "caf",
         false,
         false,
         SF_FORMAT_CAF,
         makeSndFile<SF_FORMAT_CAF>,
         sameBits,
         kUnlimited},
    };
    return table;
}

const FileFormat* formatOf(FileType type) {
    for (const FileFormat& f : fileFormats())
        if (f.type == type) return &f;
    return nullptr;
}

const FileFormat* formatOfPath(const std::string& path) {
    const std::string ext = lowerCase(extensionOf(path));
    for (const FileFormat& f : fileFormats())
        if (std::find(f.extensions.begin(), f.extensions.end(), ext) != f.extensions.end())
            return &f;
    return nullptr;
}

const FileFormat* formatOfKey(const std::string& key) {
    for (const FileFormat& f : fileFormats())
        if (key == f.key) return &f;
    return nullptr;
}

const FileFormat* formatOfSndfile(int sndfileFormat) {
    const int container = sndfileFormat & SF_FORMAT_TYPEMASK;
    const int encoding = sndfileFormat & SF_FORMAT_SUBMASK;
    for (const FileFormat& f : fileFormats()) {
        if (f.sndfileFormat == 0 || (f.sndfileFormat & SF_FORMAT_TYPEMASK) != container) continue;
        const int wanted = f.sndfileFormat & SF_FORMAT_SUBMASK;
        if (wanted == 0 || wanted == encoding) return &f;
    }
    return nullptr;
}

FileType fileTypeFromExtension(const std::string& path) {
    const FileFormat* f = formatOfPath(path);
    return f ? f->type : UnknownType;
}

std::vector<const FileFormat*> writableFormats() {
    std::vector<const FileFormat*> writable;
    for (const FileFormat& f : fileFormats())
        if (f.writtenBits) writable.push_back(&f);
    return writable;
}

std::string writableKeys() {
    const std::vector<const FileFormat*> writable = writableFormats();
    std::string keys;
    for (std::size_t i = 0; i < writable.size(); ++i) {
        if (i > 0) keys += i + 1 == writable.size() ? " or " : ", ";
        keys += writable[i]->key;
    }
    return keys;
}

FileType resultTypeFor(FileType source, FileType asked) {
    if (const FileFormat* f = formatOf(asked); f && f->writtenBits) return asked;
    const FileFormat* from = formatOf(source);
    if (!from) return WavType;
    return from->lossy || !from->writtenBits ? FlacType : source;
}

void checkResultSize(FileType type, u64 dataBytes) {
    const FileFormat* f = formatOf(type);
    if (!f || dataBytes <= f->maxDataBytes) return;
    auto gib = [](u64 bytes) {
        char text[64];
        std::snprintf(text, sizeof text, "%.2f GiB", static_cast<double>(bytes) / (1u << 30));
        return std::string(text);
    };
    throw std::runtime_error("the result would hold " + gib(dataBytes) + " of samples, more than " +
                             f->shortName + " files can hold (" + gib(f->maxDataBytes) +
                             "); choose WAV or FLAC as the result format");
}

std::string openDialogFilter() {
    std::string all;
    std::string single;
    for (const FileFormat& f : fileFormats()) {
        all += (all.empty() ? "" : "; ") + patternsOf(f);
        single += filterEntry(f);
    }
    return "All Audiofiles | " + all + "|" + single + "|";
}

std::string singleFormatFilter(FileType type) {
    const FileFormat* f = formatOf(type);
    return f ? filterEntry(*f) + "|" : openDialogFilter();
}

std::string saveDialogFilter() {
    std::string filter;
    for (const FileFormat* f : offeredFormats())
        filter += std::string(f->filterName) + " (*." + f->writtenExtension + ")|*." +
                  f->writtenExtension + "|";
    return filter + "|";
}

const FileFormat* openFilterFormat(int index) {
    const auto& table = fileFormats();
    if (index < 1 || static_cast<std::size_t>(index) > table.size()) return nullptr;
    return &table[static_cast<std::size_t>(index) - 1];
}

const FileFormat* saveFilterFormat(int index) {
    const std::vector<const FileFormat*> offered = offeredFormats();
    if (index < 0 || static_cast<std::size_t>(index) >= offered.size()) return offered.front();
    return offered[static_cast<std::size_t>(index)];
}

std::unique_ptr<CAudioFile> createAudioFile(const std::string& path, FileType type,
                                            u64 expectedBytes) {
    const FileFormat* f = formatOf(type);
    if (!f) throw std::logic_error("createAudioFile() unknown file type!");
    return f->make(CDataFile::forPath(path), expectedBytes);
}

FileType openedFileType(const CAudioFile& file, const std::string& path) {
    if (const auto* decoded = dynamic_cast<const CSndFile*>(&file))
        if (const FileFormat* f = formatOfSndfile(decoded->sndfileFormat())) return f->type;
    return fileTypeFromExtension(path);
}

} // namespace Audio
