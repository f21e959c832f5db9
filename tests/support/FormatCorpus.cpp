#include "support/FormatCorpus.h"

#include <cmath>
#include <filesystem>
#include <mutex>
#include <sndfile.h>

#include "support/TestSupport.h"

namespace TestSupport {

using namespace Audio;

namespace {

struct Recipe {
    CorpusFile file;
    int sndfileFormat; // 0: sox makes it from the WAV
};

const std::vector<Recipe>& recipes() {
    static const std::vector<Recipe> all{
        {{"tone.flac", FlacType, 44100, false, true}, SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
        {{"tone.ogg", OggVorbisType, 44100, true, true}, SF_FORMAT_OGG | SF_FORMAT_VORBIS},
        {{"tone.opus", OpusType, 48000, true, true}, SF_FORMAT_OGG | SF_FORMAT_OPUS},
        {{"tone.mp3", Mp3Type, 44100, true, true}, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III},
        {{"tone.rf64", Rf64Type, 44100, false, true}, SF_FORMAT_RF64 | SF_FORMAT_PCM_16},
        {{"tone.w64", Wave64Type, 44100, false, true}, SF_FORMAT_W64 | SF_FORMAT_PCM_16},
        {{"tone.caf", CafType, 44100, false, true}, SF_FORMAT_CAF | SF_FORMAT_PCM_16},
        {{"sox.flac", FlacType, 44100, false, true}, 0},
        {{"sox.ogg", OggVorbisType, 44100, true, true}, 0},
        {{"sox.mp3", Mp3Type, 44100, true, false}, 0},
    };
    return all;
}

std::mutex& corpusLock() {
    static std::mutex lock;
    return lock;
}

const std::filesystem::path& folder() {
    static const TempDir dir;
    return dir.path();
}

} // namespace

Channels FormatCorpus::tone(u32 rate) {
    Channels data{sine(kFrames, 440.0, rate, 0.5), sine(kFrames, 660.0, rate, 0.25)};
    // On 16-bit steps, so that a 16-bit file holds the tone exactly.
    for (auto& channel : data)
        for (float& x : channel)
            x = static_cast<float>(std::trunc(x * 32768.0) / 32768.0);
    return data;
}

const std::vector<CorpusFile>& FormatCorpus::files() {
    static const std::vector<CorpusFile> all = [] {
        std::vector<CorpusFile> list;
        for (const Recipe& r : recipes())
            list.push_back(r.file);
        return list;
    }();
    return all;
}

std::string FormatCorpus::wav(u32 rate) {
    std::lock_guard lock(corpusLock());
    const std::string path = (folder() / ("tone" + std::to_string(rate) + ".wav")).string();
    if (!std::filesystem::exists(path)) writeWav(path, tone(rate), rate);
    return path;
}

std::string FormatCorpus::path(const std::string& name) {
    for (const Recipe& r : recipes()) {
        if (r.file.name != name) continue;
        const std::string source = wav(r.file.rate);
        std::lock_guard lock(corpusLock());
        const std::string made = (folder() / name).string();
        if (std::filesystem::exists(made)) return made;
        if (r.sndfileFormat != 0)
            writeWithSndfile(made, r.sndfileFormat, tone(r.file.rate), r.file.rate);
        else if (run("sox '" + source + "' '" + made + "' 2>&1") != 0)
            throw std::runtime_error("sox cannot write " + made);
        return made;
    }
    throw std::invalid_argument("no corpus file " + name);
}

void writeWithSndfile(const std::string& path, int format, const Channels& data, u32 rate) {
    SF_INFO info{};
    info.samplerate = static_cast<int>(rate);
    info.channels = static_cast<int>(data.size());
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        throw std::runtime_error("libsndfile cannot write " + path + ": " + sf_strerror(nullptr));
    const std::size_t n = data[0].size();
    const auto count = static_cast<sf_count_t>(n);
    if ((format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_16) {
        // As integers: libsndfile would scale floats by 32767 and round.
        std::vector<short> frames(n * data.size());
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t c = 0; c < data.size(); ++c)
                frames[i * data.size() + c] =
                    static_cast<short>(std::lround(data[c][i] * 32768.0f));
        sf_writef_short(file, frames.data(), count);
    } else {
        // (libsndfile 1.2's MP3 encoder garbles integer input.)
        std::vector<float> frames(n * data.size());
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t c = 0; c < data.size(); ++c)
                frames[i * data.size() + c] = data[c][i];
        sf_writef_float(file, frames.data(), count);
    }
    sf_close(file);
}

Channels readWithSndfile(const std::string& path, long long* claimed) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        throw std::runtime_error("libsndfile cannot read " + path + ": " + sf_strerror(nullptr));
    if (claimed) *claimed = info.frames;
    Channels out(static_cast<std::size_t>(info.channels));
    std::vector<float> block(4096 * static_cast<std::size_t>(info.channels));
    for (sf_count_t n; (n = sf_readf_float(file, block.data(), 4096)) > 0;)
        for (sf_count_t i = 0; i < n; ++i)
            for (std::size_t c = 0; c < out.size(); ++c)
                out[c].push_back(block[static_cast<std::size_t>(i) * out.size() + c]);
    sf_close(file);
    return out;
}

long long framesBySndfile(const std::string& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return -1;
    sf_close(file);
    return info.frames;
}

void copyHead(const std::string& from, const std::string& to, std::size_t bytes) {
    std::vector<unsigned char> content = readBytes(from);
    content.resize(std::min(bytes, content.size()));
    writeBytes(to, content);
}

} // namespace TestSupport
