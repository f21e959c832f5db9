#include "output/alsa/SoundBuffer.h"

#include <algorithm>
#include <cstring>

#include "output/Thread.h"

namespace DirectSound {

class CSoundBuffer::Feeder : public Output::CThread {
  public:
    explicit Feeder(CSoundBuffer& owner_) : owner(owner_) { startThread(); }
    ~Feeder() override { stopAndJoin(); }

  protected:
    Output::u32 run() override {
        raiseCurrentThreadPriority();
        owner.feedLoop();
        return 0;
    }
    void wake() override {
        std::lock_guard lock(owner.mutex);
        owner.quitting = true;
        owner.changed.notify_all();
    }

  private:
    CSoundBuffer& owner;
};

CSoundBuffer::CSoundBuffer(CPcmSink& sink_, const WaveFormat& format_, std::uint32_t bytes)
    : sink(sink_), format(format_), memory(bytes),
      chunk(static_cast<std::size_t>(sink_.chunkFrames()) * format_.blockAlign) {
    feeder = std::make_unique<Feeder>(*this);
}

CSoundBuffer::~CSoundBuffer() {
    stop();
    feeder->stopAndJoin();
}

// Waits until playing; then copies the next chunk at the cursor, never past the buffer's end.
bool CSoundBuffer::nextChunk(std::uint32_t& offset, std::uint32_t& bytes) {
    std::unique_lock lock(mutex);
    changed.wait(lock, [this] { return playing || quitting; });
    if (quitting) return false;
    feeding = true;
    offset = cursor;
    bytes = std::min<std::uint32_t>(static_cast<std::uint32_t>(chunk.size()),
                                    static_cast<std::uint32_t>(memory.size()) - cursor);
    std::memcpy(chunk.data(), memory.data() + cursor, bytes);
    return true;
}

void CSoundBuffer::feedLoop() {
    std::uint32_t offset = 0, bytes = 0;
    while (nextChunk(offset, bytes)) {
        sink.write(chunk.data(), bytes / format.blockAlign);
        advance(offset, bytes);
    }
}

void CSoundBuffer::advance(std::uint32_t from, std::uint32_t bytes) {
    std::lock_guard lock(mutex);
    feeding = false;
    changed.notify_all();
    // A stop() or setCurrentPosition() in the meantime wins over this chunk.
    if (!playing || cursor != from) return;
    const auto size = static_cast<std::uint32_t>(memory.size());
    cursor = (from + bytes) % size;
    for (const auto& n : notifications)
        if ((n.offset + size - from) % size < bytes) n.signal();
}

Result CSoundBuffer::setNotificationPositions(std::vector<Notification> list) {
    std::lock_guard lock(mutex);
    if (playing) return DSERR_INVALIDCALL;
    for (const auto& n : list)
        if (n.offset >= memory.size() || !n.signal) return DSERR_INVALIDPARAM;
    notifications = std::move(list);
    return DS_OK;
}

Result CSoundBuffer::getStatus(std::uint32_t& status) const {
    std::lock_guard lock(mutex);
    status = playing ? DSBSTATUS_PLAYING : 0;
    return DS_OK;
}

Result CSoundBuffer::lock(std::uint32_t offset, std::uint32_t bytes, void** part1,
                          std::uint32_t* bytes1, void** part2, std::uint32_t* bytes2) {
    // Taking the lock orders the client's writes after the feeder's earlier reads.
    std::lock_guard guard(mutex);
    const auto size = static_cast<std::uint32_t>(memory.size());
    if (!part1 || !bytes1 || offset >= size || bytes == 0 || bytes > size)
        return DSERR_INVALIDPARAM;
    const std::uint32_t first = std::min(bytes, size - offset);
    *part1 = memory.data() + offset;
    *bytes1 = first;
    if (part2) *part2 = first < bytes ? memory.data() : nullptr;
    if (bytes2) *bytes2 = bytes - first;
    if (first < bytes && (!part2 || !bytes2)) return DSERR_INVALIDPARAM;
    return DS_OK;
}

Result CSoundBuffer::unlock(void* part1, std::uint32_t bytes1, void*, std::uint32_t bytes2) {
    // Publishes what the client wrote to the feeder, which copies under the same lock.
    std::lock_guard guard(mutex);
    if (!part1 || bytes1 + bytes2 > memory.size()) return DSERR_INVALIDPARAM;
    return DS_OK;
}

Result CSoundBuffer::getCurrentPosition(std::uint32_t* play, std::uint32_t* write) const {
    std::lock_guard lock(mutex);
    if (play) *play = cursor;
    if (write) *write = static_cast<std::uint32_t>((cursor + chunk.size()) % memory.size());
    return DS_OK;
}

Result CSoundBuffer::setCurrentPosition(std::uint32_t offset) {
    std::lock_guard lock(mutex);
    if (offset >= memory.size()) return DSERR_INVALIDPARAM;
    cursor = offset - offset % format.blockAlign;
    return DS_OK;
}

Result CSoundBuffer::play(std::uint32_t flags) {
    if (!(flags & DSBPLAY_LOOPING)) return DSERR_INVALIDPARAM;
    std::lock_guard lock(mutex);
    playing = true;
    changed.notify_all();
    return DS_OK;
}

Result CSoundBuffer::stop() {
    std::unique_lock lock(mutex);
    playing = false;
    changed.wait(lock, [this] { return !feeding; });
    // The feeder is parked now; the device is ours to reset.
    sink.halt();
    return DS_OK;
}

} // namespace DirectSound
