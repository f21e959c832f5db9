#include "process/StretchStream.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace Process {

namespace {

// Full scale at most (an infinity is beyond it like any other value), and silence for what is
// not a number: an engine squares and sums its input, and one huge or infinite sample would
// spread over the whole output.
void bringWithinFullScale(float* samples, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i)
        samples[i] = std::isnan(samples[i]) ? 0.0f : std::clamp(samples[i], -1.0f, 1.0f);
}

} // namespace

StretchStream::StretchStream(Audio::CAudioFileCache& source_,
                             std::unique_ptr<Engine::TimePitchEngine> engine,
                             FactorSource& factors_, StreamRange range_,
                             std::uint64_t minimumLength_, bool exactLength_)
    : source(source_), stretcher(std::move(engine)), factors(factors_), range(range_),
      minimumLength(minimumLength_),
      exactLength(exactLength_ || (stretcher->exactDuration() && minimumLength_ > 0)),
      channelCount(stretcher->format().channels) {
    restart();
}

void StretchStream::restart() {
    stretcher->reset();
    factors.rewind();
    position = range.start;
    current = factors.factorsAt(position);
    stretcher->setFactors(current);
    startLatency = stretcher->latency();
    latencyLeft = startLatency;
    given = 0;
    produced = 0;
    held = 0;
    heldOffset = 0;
    finished = false;
}

// A short source ends before the engine's latency is through: silence follows its end until
// the output is as long as promised.
bool StretchStream::wantsMore() const {
    if (exactLength) return given < minimumLength;
    return position < range.end + startLatency || given < minimumLength;
}

void StretchStream::readSource() {
    const Engine::SourceSpan span = stretcher->nextInput();
    const std::int64_t from = range.start + span.position;
    std::int64_t count = span.frames;
    if (from >= range.end)
        count = 0;
    else if (from + count > range.end)
        count = range.end - from;
    float* const* input = stretcher->input();
    float* dest[Audio::kMaxBlockChannels] = {};
    std::copy(input, input + channelCount, dest);
    Audio::u32 got = 0;
    if (count > 0)
        Audio::tools::read(dest, 0, &source, static_cast<Audio::u32>(channelCount),
                           static_cast<Audio::u64>(from), static_cast<Audio::u32>(count), &got);
    if (source.lostFrames())
        throw std::runtime_error("CKALO2FileProcess::process() the source file became shorter "
                                 "while it was processed! it may have been changed by another "
                                 "program.");
    const auto wanted = static_cast<Audio::u32>(std::max<std::int32_t>(span.frames, 0));
    for (int c = 0; c < channelCount; ++c) {
        bringWithinFullScale(dest[c], got);
        std::fill(dest[c] + got, dest[c] + std::max(got, wanted), 0.0f);
    }
}

std::int32_t StretchStream::call() {
    current = factors.factorsAt(position);
    stretcher->setFactors(current);
    readSource();
    const int n = stretcher->process();
    if (n < 0) throw std::logic_error("CKALO2FileProcess::process() the engine refused its state!");
    if (observer) observer->engineCalled(produced, position, current);
    produced += static_cast<std::uint64_t>(n);
    position = range.start + stretcher->nextInput().position;
    return n;
}

std::int32_t StretchStream::next() {
    while (!finished) {
        if (!wantsMore()) {
            finished = true;
            break;
        }
        const std::int32_t n = call();
        if (latencyLeft >= n) {
            latencyLeft -= n;
            continue;
        }
        const auto skip = static_cast<std::int32_t>(latencyLeft);
        latencyLeft = 0;
        std::int32_t count = n - skip;
        if (exactLength)
            count = static_cast<std::int32_t>(
                std::min<std::uint64_t>(static_cast<std::uint64_t>(count), minimumLength - given));
        const float* const* out = stretcher->output();
        for (int c = 0; c < channelCount; ++c)
            view[static_cast<std::size_t>(c)] = out[c] + skip;
        given += static_cast<std::uint64_t>(count);
        return count;
    }
    return 0;
}

std::int32_t StretchStream::read(float* const* to, std::int32_t count) {
    std::int32_t done = 0;
    while (done < count) {
        if (held == 0) {
            held = next();
            heldOffset = 0;
            if (held == 0) break;
        }
        const std::int32_t take = std::min(held, count - done);
        for (int c = 0; c < channelCount; ++c)
            std::copy_n(view[static_cast<std::size_t>(c)] + heldOffset, take, to[c] + done);
        held -= take;
        heldOffset += take;
        done += take;
    }
    return done;
}

} // namespace Process
