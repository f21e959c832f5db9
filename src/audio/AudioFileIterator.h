#pragma once
#include "audio/AudioFileCache.h"

namespace Audio {

// Reads a cached file forward for playback, optionally over a range and in a loop.
// Belongs to the thread that renders it.
class CAudioFileIterator {
  public:
    CAudioFileIterator(CAudioFileCache* cache, float outputRate);
    CAudioFileIterator(const CAudioFileIterator&) = delete;
    CAudioFileIterator& operator=(const CAudioFileIterator&) = delete;

    virtual void setOutputRate(float) {}
    virtual ~CAudioFileIterator() = default;
    // Fills `frames` frames of every channel of dest; zeros after the end without loop.
    virtual void process(float** dest, u32 destChannels, u32 frames);
    virtual void start();
    virtual void stop() { active = false; }

    bool isActive() const { return active; }
    i32 getPosition() const { return position; }
    u32 getDelivered() const { return delivered; }

    float outputRate;
    CAudioFileCache* cache;
    bool loop = false;
    bool useRange = false;
    i32 position = 0;
    i32 fileEnd;
    i32 loopStart = 0;
    i32 loopEnd;
    bool active = false;
    u32 delivered = 0;
    float ratio = 1.0f;
    float phase = 0.0f;

  protected:
    i32 rangeEnd() const { return useRange ? loopEnd : fileEnd; }
    i32 restartFrame() const { return useRange ? loopStart : 0; }
    void checkChannels(u32 destChannels) const;

  private:
    CAudioFileCache::User user;
};

// The iterator that playback builds: resamples linearly when the file's rate differs from the
// output rate.
class CAudioPlayback : public CAudioFileIterator {
  public:
    CAudioPlayback(CAudioFileCache* cache, float outputRate);
    // The range that playback plays or loops; end -1 or past the file means the file's end.
    // Throws std::invalid_argument when start is not below end.
    void setLoop(i64 start, i64 end);
    void setOutputRate(float rate) override;
    void process(float** dest, u32 destChannels, u32 frames) override;

  private:
    // The block a resampling pass reads from, handed back when the pass ends, however it ends.
    struct HeldBlock {
        CAudioFileCache* cache;
        CAudioFileCache::Block* block = nullptr;
        explicit HeldBlock(CAudioFileCache* from) : cache(from) {}
        ~HeldBlock() { drop(); }
        HeldBlock(const HeldBlock&) = delete;
        HeldBlock& operator=(const HeldBlock&) = delete;
        const CAudioFileCache::Block* take(i64 frame);
        void drop();
    };
    void resample(float** dest, u32 frames);
};

} // namespace Audio
