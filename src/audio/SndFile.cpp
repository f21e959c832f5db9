#include "audio/SndFile.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <stdexcept>

#include "audio/ChannelLimits.h"
#include "audio/DataFile.h"
#include "audio/SampleCodec.h"
#include "audio/SndFileStream.h"

namespace Audio {

struct CSndFile::Handle {
    SndFileStream stream;
    SF_VIRTUAL_IO io = SndFileStream::callbacks();
    SNDFILE* sf = nullptr;
};

namespace {

// libsndfile keeps the reason of a failed open in one place for all threads.
std::mutex& openLock() {
    static std::mutex lock;
    return lock;
}

// What the rest of the program calls the sample size: lossy decoders give 16 bits, as the
// recordings they were made from mostly had.
u32 bitsOf(int format) {
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_DPCM_8:
        return 8;
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_ALAC_20:
    case SF_FORMAT_ALAC_24:
    case SF_FORMAT_DWVW_24:
        return 24;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE:
    case SF_FORMAT_ALAC_32:
        return 32;
    default:
        return 16;
    }
}

int subtypeFor(int container, u32 bits) {
    switch (bits) {
    case 8:
        return container == SF_FORMAT_W64 ? SF_FORMAT_PCM_U8 : SF_FORMAT_PCM_S8;
    case 16:
        return SF_FORMAT_PCM_16;
    case 20:
    case 24:
        return SF_FORMAT_PCM_24;
    case 32:
        return SF_FORMAT_FLOAT;
    default:
        return 0;
    }
}

// A sample as the WAV writer stored it (little-endian; 8-bit unsigned), at 32-bit scale.
int atFullScale(const u8* sample, u32 bits) {
    switch (bits) {
    case 8:
        return static_cast<int>(static_cast<u32>(sample[0] ^ 0x80u) << 24);
    case 16:
        return static_cast<int>(static_cast<u32>(sample[0]) << 16 | static_cast<u32>(sample[1])
                                                                        << 24);
    default: // 20 and 24 bits in three bytes
        return static_cast<int>(static_cast<u32>(sample[0]) << 8 |
                                static_cast<u32>(sample[1]) << 16 |
                                static_cast<u32>(sample[2]) << 24);
    }
}

// libsndfile's count for "the length is not known".
constexpr i64 kUnknownLength = i64{1} << 60;

} // namespace

CSndFile::CSndFile(std::unique_ptr<CFile> bytes, int container_)
    : CAudioFile(std::move(bytes)), container(container_) {
}

CSndFile::~CSndFile() {
    try {
        close();
    } catch (...) {
        // A destructor cannot report; an explicit close() does.
    }
}

std::string CSndFile::displayName() const {
    const auto* onDisk = dynamic_cast<const CDataFile*>(file.get());
    return onDisk ? onDisk->getFullPath() : std::string();
}

void CSndFile::fail(const std::string& what) const {
    const std::string name = displayName();
    throw std::runtime_error(name.empty() ? what : "\"" + name + "\"\n" + what);
}

void CSndFile::open(u32 mode_, const AudioFormat* format_) {
    frames = 0;
    position = 0;
    decoderPosition = 0;
    mode = mode_;
    if (mode == Read) openForReading();
    if (mode == Write) openForWriting(*format_);
}

void CSndFile::openHandle(int sfMode, SF_INFO& info) {
    handle = std::make_unique<Handle>();
    handle->stream.file = file.get();
    std::string reason;
    {
        std::lock_guard lock(openLock());
        handle->sf = sf_open_virtual(&handle->io, sfMode, &info, &handle->stream);
        if (!handle->sf) reason = sf_strerror(nullptr);
    }
    if (handle->sf) return;
    handle->stream.rethrow();
    handle.reset();
    fail((sfMode == SFM_READ ? "cannot read this file as audio: " : "cannot write this file: ") +
         reason);
}

void CSndFile::openForReading() {
    file->open(Read);
    SF_INFO info{};
    openHandle(SFM_READ, info);
    openedFormat = info.format;
    claimed = info.frames;
    const int encoding = info.format & SF_FORMAT_SUBMASK;
    lossy = encoding == SF_FORMAT_VORBIS || encoding == SF_FORMAT_OPUS ||
            (info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG;
    if (info.channels <= 0) fail("the file has no channels!");
    if (static_cast<u32>(info.channels) > kMaxFileChannels)
        fail("files with more than " + std::to_string(kMaxFileChannels) +
             " channels are not supported!");
    if (info.samplerate <= 0) fail("the sample rate is 0 Hz!");
    format.channels = static_cast<u32>(info.channels);
    format.sampleRate = static_cast<u32>(info.samplerate);
    format.bitsPerSample = bitsOf(info.format);
    format.bytesPerFrame = bytesPerSample(format.bitsPerSample) * format.channels;
    format.bytesPerSecond = 0;
    const u64 size = file->getSize();
    const FileDate date = file->getDate();
    if (!(measured.valid && measured.size == size && measured.date == date)) {
        measured = {size, date, measureFrames(), true};
        rewind();
    }
    frames = measured.frames;
}

void CSndFile::reopenHandle() {
    closeHandle();
    file->close();
    file->open(Read);
    SF_INFO info{};
    openHandle(SFM_READ, info);
    decoderPosition = 0;
}

// A decoder that stopped at damage may not seek any more: a new one starts at the beginning.
void CSndFile::rewind() {
    const sf_count_t landed = sf_seek(handle->sf, 0, SEEK_SET);
    handle->stream.rethrow();
    if (landed == 0)
        decoderPosition = 0;
    else
        reopenHandle();
}

// A FLAC decoder that stops with much of the file unread stopped at damage, not at the end of
// a cut file (which it reads to its last byte). Lossy files play as far as they decode; in the
// PCM containers other chunks may follow the audio.
void CSndFile::checkDecodedToTheEnd() const {
    if ((openedFormat & SF_FORMAT_TYPEMASK) != SF_FORMAT_FLAC) return;
    const u64 size = file->getSize();
    if (file->tell() + kTrailingBytes < size)
        fail("the audio data cannot be decoded beyond frame " + std::to_string(decoderPosition) +
             ": the file is damaged");
}

// Decodes from a little before the claimed end to where the decoder really stops; when the
// file ends before that, looks four times as far back, and at worst counts from the start.
u64 CSndFile::measureFrames() {
    if (claimed > 0 && claimed < kUnknownLength) {
        const auto claim = static_cast<u64>(claimed);
        for (u64 tail = kFirstTail; tail < claim; tail *= 4) {
            const sf_count_t landed =
                sf_seek(handle->sf, static_cast<sf_count_t>(claim - tail), SEEK_SET);
            handle->stream.rethrow();
            if (landed < 0) continue;
            decoderPosition = static_cast<u64>(landed);
            // Frames decoded after the landing place prove that the end lies beyond it.
            const u64 counted = countToEnd();
            if (counted > 0) {
                checkDecodedToTheEnd();
                return decoderPosition;
            }
        }
    }
    // A failed seek can leave the decoder unusable: start again with a new one.
    reopenHandle();
    countToEnd();
    checkDecodedToTheEnd();
    return decoderPosition;
}

// Decodes until the decoder gives no more; leaves decoderPosition at the end.
u64 CSndFile::countToEnd() {
    constexpr sf_count_t block = 16384;
    scratch.resize(static_cast<std::size_t>(block) * format.channels);
    u64 counted = 0;
    for (;;) {
        const sf_count_t got = sf_readf_float(handle->sf, scratch.data(), block);
        handle->stream.rethrow();
        if (got <= 0) break;
        counted += static_cast<u64>(got);
    }
    decoderPosition += counted;
    return counted;
}

void CSndFile::openForWriting(const AudioFormat& wanted) {
    const int subtype = subtypeFor(container, wanted.bitsPerSample);
    SF_INFO info{};
    info.samplerate = static_cast<int>(wanted.sampleRate);
    info.channels = static_cast<int>(wanted.channels);
    info.format = container | subtype;
    if (subtype == 0 || wanted.channels == 0 || wanted.channels > kMaxFileChannels ||
        !sf_format_check(&info))
        throw std::logic_error("CSndFile::open() cannot write " +
                               std::to_string(wanted.bitsPerSample) + " bit samples of " +
                               std::to_string(wanted.channels) + " channels in this format!");
    format = wanted;
    format.bytesPerFrame = bytesPerSample(format.bitsPerSample) * format.channels;
    file->open(Write);
    openHandle(SFM_WRITE, info);
    openedFormat = info.format;
}

void CSndFile::closeHandle() {
    if (!handle) return;
    const int error = sf_close(handle->sf);
    std::unique_ptr<Handle> closed = std::move(handle);
    closed->stream.rethrow();
    if (error != 0 && mode == Write)
        fail(std::string("cannot finish writing the file: ") + sf_error_number(error));
}

void CSndFile::close() {
    if (!file) return;
    try {
        closeHandle();
    } catch (...) {
        file->close();
        throw;
    }
    file->close();
}

// Blocks read in order never seek: the decoder simply goes on.
void CSndFile::seek(u64 frame) {
    position = frame;
    if (mode != Read || !handle || frame == decoderPosition) return;
    const u64 preroll = lossy ? kPreroll : 0;
    if (frame > decoderPosition && frame - decoderPosition <= preroll) return decodeUpTo(frame);
    const u64 from = frame > preroll ? frame - preroll : 0;
    const sf_count_t landed = sf_seek(handle->sf, static_cast<sf_count_t>(from), SEEK_SET);
    handle->stream.rethrow();
    if (landed != static_cast<sf_count_t>(from))
        fail("cannot find frame " + std::to_string(frame) + " of " + std::to_string(frames) +
             ": the file is damaged");
    decoderPosition = from;
    decodeUpTo(frame);
}

void CSndFile::decodeUpTo(u64 frame) {
    constexpr u64 block = 16384;
    scratch.resize(block * format.channels);
    while (decoderPosition < frame) {
        const auto wanted = static_cast<sf_count_t>(std::min(block, frame - decoderPosition));
        const sf_count_t got = sf_readf_float(handle->sf, scratch.data(), wanted);
        handle->stream.rethrow();
        if (got != wanted)
            fail("cannot find frame " + std::to_string(frame) + " of " + std::to_string(frames) +
                 ": the file is damaged");
        decoderPosition += static_cast<u64>(got);
    }
}

void CSndFile::read(float** buffers, u32 count, u32* framesRead) {
    *framesRead = 0;
    if (mode != Read || !handle) throw std::logic_error("CSndFile::read() the file is not open!");
    // Nothing beyond the measured end is audio, whatever a decoder would still give.
    const u64 left = frames > position ? frames - position : 0;
    if (count > left) count = static_cast<u32>(left);
    if (count == 0) return;
    seek(position);
    const u32 channels = format.channels;
    scratch.resize(static_cast<std::size_t>(count) * channels);
    const sf_count_t got = sf_readf_float(handle->sf, scratch.data(), count);
    handle->stream.rethrow();
    if (got < 0 || static_cast<u64>(got) < count) {
        const u64 reached = position + static_cast<u64>(got > 0 ? got : 0);
        fail("the audio data cannot be decoded beyond frame " + std::to_string(reached) + " of " +
             std::to_string(frames) + ": the file is damaged");
    }
    for (u32 c = 0; c < channels; ++c) {
        if (!buffers[c]) continue;
        for (u32 i = 0; i < count; ++i)
            buffers[c][i] = scratch[static_cast<std::size_t>(i) * channels + c];
    }
    position += count;
    decoderPosition += count;
    *framesRead = count;
}

// The samples are converted as the WAV writer converts them (clipped, truncated toward zero),
// then handed to libsndfile at full 32-bit scale, which it only shifts into place.
void CSndFile::write(float** buffers, u32 count, u32* framesWritten) {
    *framesWritten = 0;
    if (mode != Write || !handle) throw std::logic_error("CSndFile::write() the file is not open!");
    const u32 channels = format.channels;
    const u32 bits = format.bitsPerSample;
    const u32 width = SampleCodec::sampleWidth(bits);
    const std::size_t samples = static_cast<std::size_t>(count) * channels;
    encoded.resize(samples * width + 10);
    SampleCodec::encode(buffers, bits, true, channels, count, encoded.data());
    sf_count_t put = 0;
    if (bits == 32) {
        scratch.resize(samples);
        std::memcpy(scratch.data(), encoded.data(), samples * sizeof(float));
        put = sf_writef_float(handle->sf, scratch.data(), count);
    } else {
        fullScale.resize(samples);
        for (std::size_t i = 0; i < samples; ++i)
            fullScale[i] = atFullScale(encoded.data() + i * width, bits);
        put = sf_writef_int(handle->sf, fullScale.data(), count);
    }
    handle->stream.rethrow();
    if (put != static_cast<sf_count_t>(count))
        fail(std::string("cannot write to the file: ") + sf_strerror(handle->sf));
    position += count;
    if (position > frames) frames = position;
    *framesWritten = count;
}

std::unique_ptr<CAudioFile> CSndFile::clone() const {
    auto copy = std::make_unique<CSndFile>(file->clone(), container);
    copyStateTo(*copy);
    copy->measured = measured;
    copy->claimed = claimed;
    copy->openedFormat = openedFormat;
    copy->lossy = lossy;
    return copy;
}

} // namespace Audio
