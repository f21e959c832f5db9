#pragma once
#include <functional>
#include <string>

#include "audio/AudioFileCache.h"
#include "output/BufferedRenderer.h"
#include "output/IndependentAudioHost.h"
#include "output/MixRenderer.h"
#include "output/PlaybackListener.h"
#include "output/PlaybackVoice.h"
#include "output/VoiceSource.h"

namespace Output {

// Plays one file, or a range of it, at a time on the output device the user chose: the output
// takes blocks from the read-ahead queue, whose producer renders the mixer and its voice.
// User-interface thread only.
class CAudioEngine {
  public:
    explicit CAudioEngine(ASIO::CDriverSource& drivers = ASIO::systemDrivers());
    ~CAudioEngine();
    CAudioEngine(const CAudioEngine&) = delete;
    CAudioEngine& operator=(const CAudioEngine&) = delete;

    // Opens the device with this identifier; a device that is not listed leaves the engine
    // uninitialised. Throws what the output throws when the device fails to open.
    void init(const DeviceId& deviceId);
    // Plays frames [start, end) of the file (end -1: to its end), looping when asked. Does
    // nothing while uninitialised. Throws std::runtime_error for a file with more channels than
    // the output, std::invalid_argument for bad loop bounds.
    void play(Audio::CAudioFileCache* file, const std::string& displayName, Audio::i32 start,
              Audio::i32 end, bool loop, CPlaybackListener* listener, Audio::i32 listenerValue);
    // Plays frames that the source computes while they play (a processed stream). The output's
    // buffers and the read-ahead are cut so that a change the source takes is heard within
    // kLiveLatencySeconds, the device's own latency counted. The caller may keep a share of the
    // source to steer it; the voice lets go of its share when it is deleted. Does nothing while
    // uninitialised. Throws std::runtime_error for a source with more channels than the output.
    void playLive(std::shared_ptr<CVoiceSource> source, const std::string& displayName,
                  CPlaybackListener* listener, Audio::i32 listenerValue);
    void stop();
    void release();
    // Told on the calling thread whenever a play starts (the display name and the file) and
    // when playback stops (an empty name and null), so a window can show what plays.
    using NowPlaying = std::function<void(const std::string&, const Audio::CAudioFileCache*)>;
    void setNowPlayingHook(NowPlaying hook) { nowPlaying = std::move(hook); }
    // Stops only when the current voice plays this file.
    void stopIfPlaying(const Audio::CAudioFileCache* file);

    bool isInitialized() const { return host.isInitialized(); }
    bool isPlaying() const { return playing; }
    // Whether the current voice still renders (false once a range without loop has ended).
    bool isVoiceActive() const { return current && current->isActive(); }
    // Whether the current voice plays this source (another play replaces it).
    bool isPlayingSource(const CVoiceSource* source) const {
        return current && &current->getSource() == source;
    }
    // Frames the output has played since the last play started, in the mixer's frames.
    Audio::i64 getFramesPlayed() { return host.getFramesPlayed(); }
    bool isDeviceLost() const { return host.isDeviceLost(); }
    // Blocks the output found missing since the last play started.
    Audio::i64 getUnderruns() const { return queue.getUnderruns(); }
    // Output frames after which a change that the live source takes is heard, at most: the
    // read-ahead, the output's and the device's buffers and what the source holds. 0 unless
    // the last play was live.
    Audio::i64 getLiveLatency() const { return liveLatency; }
    bool getLoop() const { return loop; }
    CIndependentAudioHost& getHost() { return host; }
    CMixRenderer& getMixer() { return mixer; }
    CBufferedRenderer& getQueue() { return queue; }

    static constexpr double kLiveLatencySeconds = 0.2;

  private:
    static constexpr int READ_AHEAD_FRAMES = 20000;
    void useLayout(bool live, int heldFrames);
    void startVoice(std::shared_ptr<CVoiceSource> source, const std::string& displayName,
                    CPlaybackListener* listener, Audio::i32 listenerValue);
    void dropCurrentVoice();

    ASIO::CDriverSource& drivers;
    bool playing = false;
    CMixRenderer mixer;
    CBufferedRenderer queue;
    CIndependentAudioHost host;
    CPlaybackVoice* current = nullptr;
    bool loop = false;
    Audio::i64 liveLatency = 0;
    NowPlaying nowPlaying;
};

} // namespace Output
