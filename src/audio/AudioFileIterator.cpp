#include "audio/AudioFileIterator.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace Audio {

namespace {
i32 frameCountOf(const CAudioFileCache* cache) {
    const u64 n = cache->file->getFrames();
    return static_cast<i32>(std::min<u64>(n, 0x7FFFFFFF));
}
} // namespace

CAudioFileIterator::CAudioFileIterator(CAudioFileCache* cache_, float outputRate_)
    : outputRate(outputRate_), cache(cache_), fileEnd(frameCountOf(cache_)), loopEnd(fileEnd),
      user(*cache_) {
}

void CAudioFileIterator::start() {
    delivered = 0;
    position = useRange ? loopStart : 0;
    phase = 0.0f;
    active = true;
}

void CAudioFileIterator::checkChannels(u32 destChannels) const {
    if (cache->file->format.channels > destChannels)
        throw std::overflow_error(
            "CAudioFileIterator::process() not enough buffers to load data into!\n");
}

void CAudioFileIterator::process(float** dest, u32 destChannels, u32 frames) {
    checkChannels(destChannels);
    const i32 end = rangeEnd();
    u32 got = 0;
    if (static_cast<i64>(position) + frames < end) {
        tools::read(dest, 0, cache, destChannels, static_cast<u64>(position), frames, &got);
        position += static_cast<i32>(got);
        delivered += frames;
        return;
    }
    const u32 channels = cache->file->format.channels;
    u32 written = 0;
    u32 n = static_cast<u32>(std::max(end - position, 0));
    for (;;) {
        tools::read(dest, written, cache, destChannels, static_cast<u64>(position), n, &got);
        position += static_cast<i32>(got);
        delivered += got;
        written += got;
        if (position < end) return; // a short read
        if (!loop) {
            for (u32 c = 0; c < channels; ++c)
                std::fill(dest[c] + written, dest[c] + frames, 0.0f);
            active = false;
            return;
        }
        position = restartFrame();
        if (written >= frames) return;
        // An empty range would never fill the request.
        if (end <= position) {
            for (u32 c = 0; c < channels; ++c)
                std::fill(dest[c] + written, dest[c] + frames, 0.0f);
            return;
        }
        n = std::min<u32>(frames - written, static_cast<u32>(end - position));
    }
}

CAudioPlayback::CAudioPlayback(CAudioFileCache* cache_, float outputRate_)
    : CAudioFileIterator(cache_, outputRate_) {
    setOutputRate(outputRate_);
}

void CAudioPlayback::setLoop(i64 start, i64 end) {
    if (end != -1 && start >= end)
        throw std::invalid_argument("CAudioPlayback::setLoop() settings. start position cannot be "
                                    "higher or equal than the end position!\n");
    // Frames before the file do not exist; a range starting there starts at its beginning.
    loopStart = static_cast<i32>(std::max<i64>(start, 0));
    loopEnd = end == -1 || end > fileEnd ? fileEnd : static_cast<i32>(end);
}

void CAudioPlayback::setOutputRate(float rate) {
    outputRate = rate;
    ratio = static_cast<float>(cache->file->format.sampleRate) / rate;
}

const CAudioFileCache::Block* CAudioPlayback::HeldBlock::take(i64 frame) {
    if (block && frame >= block->startFrame &&
        frame < static_cast<i64>(block->startFrame) + block->frameCount)
        return block;
    drop();
    block = cache->find(static_cast<u64>(frame));
    if (!block) block = cache->load(static_cast<u64>(frame));
    return block;
}

void CAudioPlayback::HeldBlock::drop() {
    if (block) cache->unuse(block);
    block = nullptr;
}

void CAudioPlayback::process(float** dest, u32 destChannels, u32 frames) {
    if (static_cast<float>(cache->file->format.sampleRate) == outputRate) {
        CAudioFileIterator::process(dest, destChannels, frames);
        return;
    }
    checkChannels(destChannels);
    resample(dest, frames);
}

void CAudioPlayback::resample(float** dest, u32 frames) {
    const u32 channels = cache->file->format.channels;
    const i32 end = rangeEnd();
    const i32 restart = restartFrame();
    // Positions are carried in double: a float cannot tell neighbouring frames apart beyond
    // 2^24 frames (six minutes at 44.1 kHz).
    double base = static_cast<double>(position) + phase;
    HeldBlock held{cache};
    HeldBlock neighbour{cache};
    for (u32 k = 0; k < frames; ++k) {
        double p = static_cast<double>(k) * ratio + base;
        i32 i = static_cast<i32>(p);
        position = i;
        if (i >= end) {
            const i32 len = end - restart;
            if (!loop || len <= 0) {
                for (u32 c = 0; c < channels; ++c)
                    std::fill(dest[c] + k, dest[c] + frames, 0.0f);
                active = false;
                delivered += k;
                return;
            }
            const i32 wholeLoops = 1 + (i - end) / len;
            const double shift = static_cast<double>(len) * wholeLoops;
            base -= shift;
            p -= shift;
            i = static_cast<i32>(p);
            position = i;
        }
        const auto* x = held.take(i);
        const u32 xi = static_cast<u32>(i - static_cast<i32>(x->startFrame));
        i32 next = i + 1;
        if (next >= end) {
            if (!loop) {
                for (u32 c = 0; c < channels; ++c)
                    dest[c][k] = x->channels[c][xi];
                continue;
            }
            next -= end - restart;
        }
        const auto a = static_cast<float>(static_cast<double>(i + 1) - p);
        const auto b = static_cast<float>(p - static_cast<double>(i));
        const bool sameBlock = next >= static_cast<i32>(x->startFrame) &&
                               next < static_cast<i32>(x->startFrame + x->frameCount);
        const auto* y = sameBlock ? x : neighbour.take(next);
        const u32 yi = static_cast<u32>(next - static_cast<i32>(y->startFrame));
        for (u32 c = 0; c < channels; ++c)
            dest[c][k] = a * x->channels[c][xi] + b * y->channels[c][yi];
        if (!sameBlock) neighbour.drop();
    }
    delivered += frames;
    const double pEnd = static_cast<double>(frames) * ratio + base;
    position = static_cast<i32>(pEnd);
    phase = static_cast<float>(pEnd - static_cast<double>(position));
}

} // namespace Audio
