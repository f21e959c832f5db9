#pragma once
// One processing job: streams a cached source through the time/pitch engine into a
// destination file, with fixed factors or factors that follow the mark point curves.
#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "audio/AudioFile.h"
#include "audio/AudioFileCache.h"
#include "engine/TimePitchEngine.h"
#include "markpoints/MarkPointArray.h"
#include "process/FactorSource.h"
#include "process/JobParameters.h"
#include "process/JobPlan.h"
#include "process/OutputStage.h"
#include "process/ProcessingProgress.h"
#include "process/StretchStream.h"

namespace Process {

class CKALO2FileProcess {
  public:
    CKALO2FileProcess(ProcessingProgress* progress, const MarkPoints::CMarkPointArray& timeCurve,
                      const MarkPoints::CMarkPointArray& pitchCurve,
                      const MarkPoints::CMarkPointArray& formantCurve);
    ~CKALO2FileProcess();
    CKALO2FileProcess(const CKALO2FileProcess&) = delete;
    CKALO2FileProcess& operator=(const CKALO2FileProcess&) = delete;

    // Sources of more than 8 channels are refused.
    void init(const JobParameters& parameters);
    // Writes the processed source to the destination and closes it; false when aborted.
    bool process(Audio::CAudioFile* destination);

    // Safe from any thread; the job stops at the next block.
    void requestAbort() { abortRequested.store(true); }
    bool wasAborted() const { return aborted; }
    std::uint64_t getExpectedLength() const { return expectedLength; }
    double getTimeFactor() const { return factors.time; }
    double getPitchFactor() const { return factors.pitch; }
    double getFormantFactor() const { return factors.formant; }
    Engine::Quality getQuality() const { return options.quality; }
    // The engine's output frames per call at pitch 1.0 (after init).
    double getStep() const { return stream ? stream->engine().step() : 0.0; }
    // What went wrong while closing the destination after `process` failed; empty when nothing.
    const std::string& getCloseFailure() const { return closeFailure; }
    static constexpr const char* kUnknownCloseFailure =
        "CKALO2FileProcess::process() unknown error while closing after exception in "
        "KALO2_Process!";

  private:
    bool blockLoop(Audio::CAudioFile& destination);
    void closeAfterFailure(Audio::CAudioFile& destination);
    static void closeAndReopen(Audio::CAudioFile& destination);

    Curves curves;
    Engine::Factors factors;
    Engine::EngineOptions options;
    bool dynamic = false;
    bool initialised = false;
    std::uint64_t expectedLength = 0;
    std::atomic<bool> abortRequested{false};
    bool aborted = false;
    std::string closeFailure;
    ProcessingProgress* progress;
    Audio::CAudioFileCache* source = nullptr;
    Audio::AudioFormat sourceFormat{};
    std::unique_ptr<FactorSource> factorSource;
    std::unique_ptr<StretchStream> stream;
    COutputStage pending; // output not yet written to the destination
};

} // namespace Process
