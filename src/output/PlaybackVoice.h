#pragma once
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "audio/AudioFileIterator.h"
#include "output/AudioRenderer.h"
#include "output/PlaybackListener.h"
#include "output/VoiceSource.h"

namespace Output {

class CMixRenderer;

// One source being played, a file or frames computed while they play: spreads the source's
// channels over the output's. Created on the user-interface thread, which also starts, stops and
// releases it; rendered on the read-ahead producer; deleted by its mixer. A source shared with
// its creator is freed by whoever lets go of it last, so the creator can keep a heavy one off
// the producer thread.
class CPlaybackVoice : public CAudioRenderer {
  public:
    // Registers with the mixer.
    CPlaybackVoice(CMixRenderer& mixer, std::shared_ptr<CVoiceSource> source,
                   std::string displayName, CPlaybackListener* listener, Audio::i32 listenerValue);
    // A file through its reader, which the voice takes over.
    CPlaybackVoice(CMixRenderer& mixer, std::unique_ptr<Audio::CAudioPlayback> reader,
                   std::string displayName, CPlaybackListener* listener, Audio::i32 listenerValue);
    ~CPlaybackVoice() override;

    void setSampleRate(float rate) override;
    // Fills channelCount channels: the file's own, then copies of them round robin.
    void render(int offset, float* const* channels, int channelCount, int frameCount) override;
    void start() override;
    void stop() override;

    // Mixer thread, while handling the voice's commands.
    virtual void notifyStarted(Audio::i64 mixerFrame);
    virtual void notifyPosition();

    bool isActive() const { return active.load(); }
    void release() { --references; }
    int getReferences() const { return references.load(); }
    CVoiceSource& getSource() { return *source; }
    const CVoiceSource& getSource() const { return *source; }
    const Audio::CAudioFileCache* getFile() const { return source->getFile(); }
    const std::string& getDisplayName() const { return displayName; }

  private:
    void stopLocked();
    void copyChannels(float* const* channels, int channelCount, int frameCount) const;

    std::atomic<bool> active{false};
    std::atomic<int> references{1};
    std::mutex voiceLock;
    CMixRenderer& mixer;
    std::shared_ptr<CVoiceSource> source;
    // The voice's file is in use as long as the voice exists, however long its source lives.
    std::optional<Audio::CAudioFileCache::User> fileUser;
    CPlaybackListener* listener;
    Audio::i32 listenerValue;
    std::string displayName;
    std::atomic<Audio::i64> startFrame{0};
};

} // namespace Output
