#pragma once
// The formats libsndfile reads (FLAC, Ogg Vorbis, Opus, MP3, Wave64, CAF) as a CAudioFile.
#include <memory>
#include <string>
#include <vector>

#include "audio/AudioFile.h"

struct SF_INFO;

namespace Audio {

// Reads any file libsndfile knows, through our byte stream, so that the cache's date checks
// and memory files work as for WAV. Writes FLAC, Wave64 and CAF with our own sample
// conversions, so a FLAC result decodes to the samples a WAV result holds.
//
// The frame count is the one the file really delivers: compressed formats often only estimate
// it (an MP3 without a length header, a cut download), so it is measured when the file is
// opened, by decoding from a little before the claimed end. Reading follows the decoder
// without seeking as long as the blocks come in order.
class CSndFile : public CAudioFile {
  public:
    // `container` is libsndfile's major format that open(Write) writes (SF_FORMAT_FLAC, ...);
    // reading takes whatever the file holds.
    CSndFile(std::unique_ptr<CFile> file, int container);
    ~CSndFile() override;

    void open(u32 mode, const AudioFormat* format) override;
    void close() override;
    void write(float** channelBuffers, u32 frames, u32* framesWritten) override;
    void read(float** channelBuffers, u32 frames, u32* framesRead) override;
    void seek(u64 frame) override;
    std::unique_ptr<CAudioFile> clone() const override;

    // libsndfile's code of what an open file holds (container and encoding).
    int sndfileFormat() const { return openedFormat; }
    // The frame count libsndfile claimed when the file was last opened for reading.
    i64 claimedFrames() const { return claimed; }

    // How many frames are measured before the claimed end at first (then four times as many,
    // and so on down to the start): enough to cover the usual error of an estimate cheaply,
    // and to land before an Ogg file's last page, into which libsndfile seeks imprecisely.
    static constexpr u64 kFirstTail = 65536;
    // Lossy decoders land a seek where they can and need the frames before it to decode
    // exactly what reading from the start gives: a seek lands this far before its target and
    // decodes the rest. A target up to this far ahead is reached by decoding alone.
    static constexpr u64 kPreroll = 65536;
    // Bytes a FLAC decoder may leave unread at the end (a tag a tagger appended) before the
    // file counts as damaged where the decoder stopped.
    static constexpr u64 kTrailingBytes = 4096;

  private:
    struct Handle;
    // Frames measured for a file of this size and date, so reopening skips the measuring.
    struct Measured {
        u64 size = 0;
        FileDate date{};
        u64 frames = 0;
        bool valid = false;
    };

    void openHandle(int sfMode, SF_INFO& info);
    void openForReading();
    void openForWriting(const AudioFormat& wanted);
    u64 measureFrames();
    u64 countToEnd();
    void checkDecodedToTheEnd() const;
    void reopenHandle();
    void rewind();
    void decodeUpTo(u64 frame);
    void closeHandle();
    [[noreturn]] void fail(const std::string& what) const;
    std::string displayName() const;

    int container;
    std::unique_ptr<Handle> handle;
    int openedFormat = 0;
    bool lossy = false;
    i64 claimed = 0;
    u64 decoderPosition = 0; // where the decoder stands; reading on from there needs no seek
    Measured measured;
    std::vector<float> scratch; // interleaved frames
    std::vector<u8> encoded;    // samples as the WAV writer stores them
    std::vector<int> fullScale; // the same at 32-bit scale, for libsndfile
};

} // namespace Audio
