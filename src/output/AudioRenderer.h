#pragma once

namespace Output {

// The interface of everything that renders audio: the queue, the mixer, voices and file
// readers. Which thread calls what is stated by each implementation; in the playback chain the
// read-ahead producer thread calls render() and the user-interface thread start() and stop().
class CAudioRenderer {
  public:
    // The output rate in frames per second; the base stores it.
    virtual void setSampleRate(float rate) { sampleRate = rate; }
    virtual ~CAudioRenderer() = default;
    // Fills channelCount x frameCount samples into the given channel buffers; the caller owns
    // the buffers. offset is 0 in every call.
    virtual void render(int offset, float* const* channels, int channelCount, int frameCount) = 0;
    virtual void start() = 0;
    virtual void stop() = 0;

    float getSampleRate() const { return sampleRate; }

  protected:
    float sampleRate = 44100.0f;
};

} // namespace Output
