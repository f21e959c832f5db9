#pragma once
#include <memory>

#include "audio/AudioFileIterator.h"
#include "output/VoiceSource.h"

namespace Output {

// A file, or a range of it, played as it stands through its reader.
class CFileVoiceSource : public CVoiceSource {
  public:
    explicit CFileVoiceSource(std::unique_ptr<Audio::CAudioPlayback> reader_)
        : reader(std::move(reader_)) {}

    void setOutputRate(float rate) override { reader->setOutputRate(rate); }
    void start() override { reader->start(); }
    void stop() override { reader->stop(); }
    void process(float** dest, Audio::u32 destChannels, Audio::u32 frames) override {
        reader->process(dest, destChannels, frames);
    }
    bool isActive() const override { return reader->isActive(); }
    Audio::u64 getDelivered() const override { return reader->getDelivered(); }
    int getChannelCount() const override {
        return static_cast<int>(reader->cache->file->format.channels);
    }
    Audio::CAudioFileCache* getFile() const override { return reader->cache; }

  private:
    std::unique_ptr<Audio::CAudioPlayback> reader;
};

} // namespace Output
