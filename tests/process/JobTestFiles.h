#pragma once
// Helpers for the job tests: WAV files written and read back through the audio classes,
// sources opened as the batch list opens them, curves built point by point, and destination
// dialogs that record what they are asked.
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/AudioFile.h"
#include "audio/AudioFileCache.h"
#include "markpoints/MarkPointArray.h"
#include "process/KALODestinationFileBuilder.h"
#include "support/AudioFiles.h"

namespace JobTest {

using TestSupport::Channels;
using TestSupport::makeFormat;

// Writes every frame into a new WAV file.
inline void writeWave(const std::string& path, const Audio::AudioFormat& format,
                      const Channels& data) {
    TestSupport::writeFile(path, Audio::WavType, format, data);
}

// All frames of a WAV file, read back through the audio classes.
inline Channels readWave(const std::string& path) {
    return TestSupport::readFile(path);
}

// The frame count of a WAV file's header; throws when the header does not parse.
Audio::u64 framesOf(const std::string& path);

// A cached source over a WAV file, opened for reading.
std::unique_ptr<Audio::CAudioFileCache> openCache(const std::string& path);

// A closed WAV file object for a path, to read or to write.
std::unique_ptr<Audio::CAudioFile> waveFile(const std::string& path);

// A curve holding the given points (frame, value, style) in order.
MarkPoints::CMarkPointArray curve(std::initializer_list<MarkPoints::CMarkPoint> points);

// Records what the builder asks and answers with prepared paths (or cancels).
class RecordingDialogs : public Process::DestinationDialogs {
  public:
    std::vector<std::string> offered, extensions, messages;
    std::vector<std::optional<std::string>> answers; // taken in order; cancel when used up

    std::optional<std::string> chooseDestination(const std::string& initialPath,
                                                 const std::string& extension) override {
        offered.push_back(initialPath);
        extensions.push_back(extension);
        if (offered.size() > answers.size()) return std::nullopt;
        return answers[offered.size() - 1];
    }
    void showMessage(const std::string& text) override { messages.push_back(text); }
};

} // namespace JobTest
