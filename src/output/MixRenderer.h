#pragma once
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "audio/Types.h"
#include "output/AudioRenderer.h"

namespace Output {

class CPlaybackVoice;

// Renders the active voices. Voices enter and leave its lists only through commands, which any
// thread posts and the mixer handles at the start of each render, so no list changes while it
// is walked and voices are deleted only under the render lock.
//
// Threads: render() on the read-ahead producer; start()/stop() on the thread that starts and
// stops the output; postCommand() on any thread.
class CMixRenderer : public CAudioRenderer {
  public:
    enum Command : Audio::i32 { VoiceStarted = 1, VoiceStopped = 2, VoiceCreated = 3, Release = 4 };

    CMixRenderer();
    ~CMixRenderer() override;

    void render(int offset, float* const* channels, int channelCount, int frameCount) override;
    void start() override;
    // Stops every active voice and handles the commands at once: a stopped output leaves no
    // voice in the active list.
    void stop() override;

    void postCommand(Command type, CPlaybackVoice* voice);

    Audio::i64 getFramesRendered() const { return framesRendered.load(); }
    std::size_t getActiveCount() const;
    std::size_t getOwnedCount() const;

  protected:
    virtual void handleCommand(Audio::i32 type, CPlaybackVoice* voice);
    virtual void renderVoices(float* const* channels, int channelCount, int frameCount);

  private:
    struct Entry {
        Audio::i32 type;
        CPlaybackVoice* voice;
    };
    void handleCommands();
    void pruneAndRelease();

    std::vector<Entry> pending;
    std::vector<Entry> working;
    std::mutex postLock;
    std::vector<CPlaybackVoice*> active;
    std::vector<std::unique_ptr<CPlaybackVoice>> owned;
    bool pruneRequested = false;
    bool releaseRequested = false;
    std::atomic<Audio::i64> framesRendered{0};
    bool running = false;
    mutable std::mutex renderLock;
};

} // namespace Output
