#pragma once
// The one place where settings become a job: a row's settings (or the command line's options,
// which fill the same settings) and the quality give the engine's options, the factors or the
// curves, and the range of the source. Processing a row, the editor's preview and the live
// audition all plan their jobs here, so the same settings give the same frames.
#include <array>
#include <cstdint>
#include <memory>

#include "audio/AudioFileCache.h"
#include "engine/TimePitchEngine.h"
#include "markpoints/MarkPointArray.h"
#include "process/JobParameters.h"
#include "process/RowSettings.h"
#include "process/StretchStream.h"

namespace Process {

using Curves = std::array<MarkPoints::CMarkPointArray, 3>; // time, pitch, formant

struct JobPlan {
    JobParameters parameters;
    // Followed when parameters.dynamic is set.
    Curves curves;
    // The shift the destination's name records (none with the double-length option).
    int semitones = 0;
    int cents = 0;
};

// Frames [startFrame, endFrame) of the source (endFrame -1: to its end). A time in seconds is
// taken relative to the whole source. Throws std::invalid_argument for a time value that gives
// no usable factor.
JobPlan planJob(const RowSettings& row, Engine::Quality quality, Audio::CAudioFileCache& source,
                std::int64_t startFrame = 0, std::int64_t endFrame = -1);

// The settings of the editor's preview and of its live play: the curves alone, over factors of
// 1.0, formants not preserved.
RowSettings curvesOnly(const Curves& curves);

// The factors a job hands the engine when they are fixed: the double-length mode's, or the ones
// asked for within the engine's range, the formant shift undoing the pitch shift when formants
// are preserved.
Engine::Factors fixedFactorsOf(const JobParameters& parameters);
Engine::EngineOptions engineOptionsOf(const JobParameters& parameters);
// The range a job covers, with an end of -1 taken as the source's end.
StreamRange rangeOf(const JobParameters& parameters, const Audio::CAudioFileCache& source);
// Whether the factors follow the curves (never with the double-length option).
bool followsCurves(const JobParameters& parameters);

// The engine for a source of this format. Throws std::runtime_error for more channels than the
// engines take.
std::unique_ptr<Engine::TimePitchEngine> makeJobEngine(const JobParameters& parameters,
                                                       const Audio::AudioFormat& format);

// The output length a job promises: trunc(frames × time) with fixed factors, the engine's steps
// along the curves otherwise (`step`: the engine's output frames per call at pitch 1.0).
std::uint64_t expectedLengthOf(const JobParameters& parameters, const Curves& curves,
                               StreamRange range, double step);

// The length a stream is held to: at least one frame from a range that holds any (a source of
// a few frames at a small time factor is promised less than one, and a file without frames is
// no sound file).
std::uint64_t leastLengthOf(std::uint64_t expected, StreamRange range);
// Whether the stream stops at exactly the promised length: in exact-pitch mode fixed factors
// give exactly time × length frames, instead of ending with the rest of the engine's last call.
bool endsAtPromisedLength(const JobParameters& parameters);

} // namespace Process
