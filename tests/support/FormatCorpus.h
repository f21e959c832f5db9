#pragma once
// A small corpus of every format the program reads, made at test time from one tone: the
// lossless files hold exactly the tone's 16-bit samples, the lossy ones an encoding of it.
// libsndfile writes one file of each format; sox writes FLAC, Ogg and MP3 once more through
// encoders of its own (its MP3 carries no length header, so its length is only estimated).
#include <string>
#include <vector>

#include "audio/FileFormats.h"
#include "support/AudioFiles.h"

namespace TestSupport {

struct CorpusFile {
    std::string name; // "tone.flac", "sox.mp3"
    Audio::FileType type;
    Audio::u32 rate;
    bool lossy;
    // Decodes to exactly the tone's frames (lossy: without encoder delay or padding).
    bool exactLength;
};

class FormatCorpus {
  public:
    // More than two cache blocks, and not a whole number of them.
    static constexpr Audio::u32 kFrames = 150000;

    static const std::vector<CorpusFile>& files();
    // The file's path; it is made the first time it is asked for.
    static std::string path(const std::string& name);
    // The tone as a 16-bit stereo WAV at 44100 Hz (48000 Hz for Opus, which knows no other).
    static std::string wav(Audio::u32 rate);
    // The tone's samples at that rate.
    static Channels tone(Audio::u32 rate);
};

// Writes the channels through libsndfile in its `format` code (SF_FORMAT_FLAC | SF_FORMAT_PCM_16).
void writeWithSndfile(const std::string& path, int format, const Channels& data, Audio::u32 rate);
// libsndfile's own decoding of a whole file; its frame count in *claimed.
Channels readWithSndfile(const std::string& path, long long* claimed = nullptr);
// The frame count libsndfile reads in a file's header (without decoding), or -1.
long long framesBySndfile(const std::string& path);
// A copy of the first `bytes` bytes of a file.
void copyHead(const std::string& from, const std::string& to, std::size_t bytes);

} // namespace TestSupport
