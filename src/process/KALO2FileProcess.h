#pragma once
// One processing job: streams a cached source through the time/pitch engine into a
// destination file, with fixed factors or factors that follow the mark point curves.
#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "audio/AudioFile.h"
#include "audio/AudioFileCache.h"
#include "audio/ChannelLimits.h"
#include "editor/markpoints/MarkPointArray.h"
#include "process/JobParameters.h"
#include "process/KALO2.h"
#include "process/OutputStage.h"
#include "process/ProcessingProgress.h"
#include "process/ScaleArray.h"

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
    double getTimeFactor() const { return timeFactor; }
    double getPitchFactor() const { return pitchFactor; }
    double getFormantFactor() const { return formantFactor; }
    std::int32_t getQualityMode() const { return qualityMode; }
    // What went wrong while closing the destination after `process` failed; empty when nothing.
    const std::string& getCloseFailure() const { return closeFailure; }
    static constexpr const char* kUnknownCloseFailure =
        "CKALO2FileProcess::process() unknown error while closing after exception in "
        "KALO2_Process!";

  private:
    bool blockLoop(Audio::CAudioFile& destination);
    void updateFactors(std::int64_t position);
    std::uint64_t estimateLength();
    std::uint64_t simulateOutput(std::int64_t end);
    std::uint32_t readBlock();
    void writeOutput(Audio::CAudioFile& destination, std::int32_t frames, std::int64_t* latency);
    void closeAfterFailure(Audio::CAudioFile& destination);
    static void closeAndReopen(Audio::CAudioFile& destination);

    ScaleArray timeScale, pitchScale, formantScale;
    ScaleArray estimateTime, estimatePitch;
    double pitchFactor = 1.0, timeFactor = 1.0, formantFactor = 1.0;
    bool dynamic = false;
    std::array<std::unique_ptr<float[]>, Audio::kMaxBlockChannels> channels{};
    std::int32_t channelCount = 0;
    float sampleRate = 0.0f;
    std::uint64_t framesProduced = 0;
    std::uint64_t expectedLength = 0;
    std::int64_t sourcePosition = 0;
    std::uint32_t blockRequest = KALO2_FirstRequest;
    std::unique_ptr<unsigned char[]> engineState;
    bool preserveFormants = false;
    std::int32_t qualityMode = 3;
    bool doubleLength = false;
    bool exactPitch = false;
    bool initialised = false;
    std::int64_t startFrame = 0, endFrame = 0;
    std::atomic<bool> abortRequested{false};
    bool aborted = false;
    std::string closeFailure;
    ProcessingProgress* progress;
    Audio::CAudioFileCache* source = nullptr;
    Audio::AudioFormat sourceFormat{};
    COutputStage pending; // output not yet written to the destination
};

// Above this the engine, at a pitch factor of 4, would move less than one source frame per
// call: a larger (or infinite) time factor would never reach the end of the source.
inline constexpr double maxTimeFactor = 128.0;

// Keeps a factor a curve or a caller gives within what the engine takes: NaN becomes 1.0,
// pitch and formant stay within [0.25, 4], the time factor within [0.1, maxTimeFactor].
double saneRatio(double factor);
double saneTimeFactor(double factor);

} // namespace Process
