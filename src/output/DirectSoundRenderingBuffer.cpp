#include "output/DirectSoundRenderingBuffer.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <exception>
#include <thread>

#include "audio/SampleCodec.h"

using namespace DirectSound;
using Audio::i64;

namespace Output {

CDirectSoundRenderingBuffer::CDirectSoundRenderingBuffer(CDirectSoundManager& manager_)
    : block(std::make_unique<CAudioBlock>()), manager(manager_) {
    startThread();
}

CDirectSoundRenderingBuffer::~CDirectSoundRenderingBuffer() {
    stopAndJoin();
    releaseBuffer();
}

void CDirectSoundRenderingBuffer::wake() {
    std::lock_guard lock(notifyLock);
    notified.notify_all();
}

void CDirectSoundRenderingBuffer::signalSegment(int segment) {
    std::lock_guard lock(notifyLock);
    segmentDone[segment] = true;
    notified.notify_all();
}

void CDirectSoundRenderingBuffer::init(int frames) {
    CSoundDevice* device = manager.getDevice();
    const WaveFormat& format = manager.getPrimaryFormat();
    framesPerSegment = frames;
    segmentBytes = format.blockAlign * static_cast<Audio::u32>(frames);
    bufferBytes = segmentBytes * 2;
    std::unique_ptr<CSoundBuffer> created;
    const Result r =
        device ? device->createSecondaryBuffer(bufferBytes, format, created) : DSERR_UNINITIALIZED;
    if (r != DS_OK)
        throw directsound_exception(
            "CDirectSoundRenderingBuffer::init() Failed! possibly Bad Format!?\n", r);
    const Result n =
        created->setNotificationPositions({{bufferBytes / 2 - 1, [this] { signalSegment(0); }},
                                           {bufferBytes - 1, [this] { signalSegment(1); }}});
    if (n != DS_OK)
        throw directsound_exception(
            "CDirectSoundRenderingBuffer::init() Failed! SetNotificationPositions Failed!", n);
    std::lock_guard refilling(refillLock);
    std::lock_guard lock(bufferLock);
    buffer = std::move(created);
}

void CDirectSoundRenderingBuffer::releaseBuffer() {
    std::lock_guard refilling(refillLock);
    std::lock_guard lock(bufferLock);
    buffer.reset();
}

void CDirectSoundRenderingBuffer::setRenderer(CBufferedRenderer* renderer_) {
    renderer = renderer_;
}

// Notification thread: refills the segment that has just been played. Errors are shown and
// the loop goes on with the next notification.
u32 CDirectSoundRenderingBuffer::run() {
    raiseCurrentThreadPriority();
    for (;;) {
        int segment = 0;
        {
            std::unique_lock lock(notifyLock);
            notified.wait(lock,
                          [this] { return segmentDone[0] || segmentDone[1] || stopRequested(); });
            if (stopRequested()) return 0;
            segment = segmentDone[0] ? 0 : 1;
            segmentDone[segment] = false;
        }
        try {
            refill(segment, false);
        } catch (const std::exception& e) {
            reportError("Error", e.what());
        } catch (...) {
            reportError("Error", "Error handling CDirectSoundRenderingBuffer notifications!");
        }
    }
}

void CDirectSoundRenderingBuffer::start() {
    {
        std::lock_guard lock(bufferLock);
        framesDelivered = 0;
        lastSegment = 0;
    }
    if (!renderer)
        throw directsound_exception(
            "CDirectSoundRenderingBuffer::start: no renderer avail! cannot start!");
    if (!buffer)
        throw directsound_exception("CDirectSoundRenderingBuffer::start: cannot play!",
                                    DSERR_UNINITIALIZED);
    renderer->setSampleRate(static_cast<float>(manager.getPrimaryFormat().samplesPerSec));
    renderer->setBlockFormat(channelCount, framesPerSegment);
    try {
        renderer->start();
        playFromStart();
    } catch (...) {
        // A queue left running would keep rendering for an output that never plays. The queue
        // may also fail in its own start after it became active.
        renderer->stop();
        throw;
    }
}

void CDirectSoundRenderingBuffer::playFromStart() {
    refill(0, true);
    refill(1, true);
    restoreIfLost();
    if (const Result r = buffer->setCurrentPosition(0); r != DS_OK)
        throw directsound_exception(
            "CDirectSoundRenderingBuffer::start: SetCurrentPosition(0) Failed!", r);
    if (const Result r = buffer->play(DSBPLAY_LOOPING); r != DS_OK)
        throw directsound_exception("CDirectSoundRenderingBuffer::start: cannot play!", r);
}

void CDirectSoundRenderingBuffer::Stop() {
    if (renderer) renderer->stop();
    {
        std::lock_guard lock(bufferLock);
        if (buffer)
            if (const Result r = buffer->stop(); r != DS_OK)
                throw directsound_exception("CDirectSoundRenderingBuffer::Stop: cannot Stop!", r);
    }
    // A notification of the stopped play must not refill during the next start.
    std::lock_guard lock(notifyLock);
    segmentDone[0] = segmentDone[1] = false;
}

void CDirectSoundRenderingBuffer::restoreIfLost() {
    std::uint32_t status = 0;
    if (const Result r = buffer->getStatus(status); r != DS_OK)
        throw directsound_exception("CDirectSoundRenderingBuffer: GetStatus Failed!", r);
    while (status & DSBSTATUS_BUFFERLOST) {
        const Result r = buffer->restore();
        if (r == DS_OK) break;
        if (r == DSERR_BUFFERLOST) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// Before playing, the first blocks are waited for; a notification takes a block only if one is
// ready and plays silence otherwise (the queue counts the underrun), so the device never waits
// on the producer.
void CDirectSoundRenderingBuffer::refill(int segment, bool wait) {
    std::lock_guard refilling(refillLock);
    if (!buffer) return;
    {
        std::lock_guard lock(bufferLock);
        framesDelivered += framesPerSegment;
        lastSegment = segment;
    }
    if (!renderer) return;
    // Outside the buffer lock: the queue may poll for a while.
    const bool haveBlock = wait ? renderer->getNextBlock(block) : renderer->tryGetNextBlock(block);
    if (!haveBlock && (wait || !renderer->isActive())) return;
    restoreIfLost();
    std::lock_guard lock(bufferLock);
    void* region = nullptr;
    void* second = nullptr;
    std::uint32_t regionBytes = 0, secondBytes = 0;
    if (const Result r = buffer->lock(segmentBytes * static_cast<Audio::u32>(segment), segmentBytes,
                                      &region, &regionBytes, &second, &secondBytes);
        r != DS_OK)
        throw directsound_exception("cannot Lock the Rendering Sound Buffer!", r);
    if (second) {
        buffer->unlock(region, regionBytes, second, secondBytes);
        throw directsound_exception("unexpected error while Locking Sound Buffer!");
    }
    if (haveBlock)
        writeBlock(static_cast<std::uint8_t*>(region));
    else
        std::memset(region, 0, regionBytes);
    if (const Result r = buffer->unlock(region, regionBytes, second, secondBytes); r != DS_OK)
        throw directsound_exception("cannot Unlock the Rendering Sound Buffer!", r);
}

// Interleaves channels 0 and 1 as 16-bit little-endian frames. A block longer than a segment
// (its storage kept from a larger block format) is cut to the segment, which is all the
// locked region holds.
void CDirectSoundRenderingBuffer::writeBlock(std::uint8_t* region) {
    const int frames = std::min(block->getFrameCount(), framesPerSegment);
    for (int c = 0; c < 2; ++c) {
        const float* samples = c < block->getChannelCount() ? block->getChannel(c) : nullptr;
        if (!samples) continue;
        std::uint8_t* out = region + 2 * static_cast<std::ptrdiff_t>(c);
        for (int i = 0; i < frames; ++i, out += 4) {
            const auto v = static_cast<std::uint16_t>(Audio::SampleCodec::encode16(samples[i]));
            out[0] = static_cast<std::uint8_t>(v & 0xFF);
            out[1] = static_cast<std::uint8_t>(v >> 8);
        }
    }
}

i64 CDirectSoundRenderingBuffer::framesAhead(int segment, i64 playFrame, i64 b) {
    if (segment == 0) return 3 * b - playFrame;
    return playFrame < b ? 2 * b - playFrame : 4 * b - playFrame;
}

i64 CDirectSoundRenderingBuffer::getCurrentPlayPosition() {
    std::lock_guard lock(bufferLock);
    std::uint32_t play = 0;
    const Result r = buffer ? buffer->getCurrentPosition(&play, nullptr) : DSERR_UNINITIALIZED;
    if (r != DS_OK)
        throw directsound_exception(
            "CDirectSoundRenderingBuffer::getCurrentPlayPosition(): FAILED!", r);
    const i64 playFrame = play / manager.getPrimaryFormat().blockAlign;
    return framesAhead(lastSegment, playFrame, framesPerSegment);
}

i64 CDirectSoundRenderingBuffer::getFramesDelivered() {
    std::lock_guard lock(bufferLock);
    return framesDelivered;
}

} // namespace Output
