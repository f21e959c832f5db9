#include "app/LiveRowAudition.h"

#include <stdexcept>

#include "process/ProcessingLimits.h"

namespace App {

namespace {

// The settings that decide the factors; the others (double length, mark points on or off)
// choose the kind of job and wait for the next play.
bool sameFactors(const Process::RowSettings& a, const Process::RowSettings& b) {
    return a.semitones == b.semitones && a.cents == b.cents && a.timeValue == b.timeValue &&
           a.timeUnit == b.timeUnit && a.sourceBpm == b.sourceBpm &&
           a.preserveFormants == b.preserveFormants && a.curves[0] == b.curves[0] &&
           a.curves[1] == b.curves[1] && a.curves[2] == b.curves[2];
}

double sourceSeconds(const CFileRow& row) {
    return static_cast<double>(row.getCache().file->getFrames()) / row.format().sampleRate;
}

} // namespace

Process::RowSettings LiveRowAudition::settingsOf(const CFileRow& row) const {
    Process::RowSettings s = row.settings();
    s.exactPitch = exactPitch;
    return s;
}

void LiveRowAudition::play(CFileRow& row, const JobSettings& settings,
                           Output::CPlaybackListener* listener) {
    stop();
    quality = settings.quality;
    exactPitch = settings.exactPitch;
    row.getCache().refresh();
    const Process::RowSettings s = settingsOf(row);
    const std::string problem = Process::rowBeyondLimits(s, sourceSeconds(row));
    if (!problem.empty()) throw std::out_of_range(problem);
    audition.play(Process::planJob(s, quality, row.getCache()), row.nameLine(), false, listener);
    playing = &row;
    taken = s;
}

void LiveRowAudition::stop() {
    audition.stop();
    playing = nullptr;
}

bool LiveRowAudition::follow() {
    if (!audition.isPlaying()) {
        playing = nullptr;
        return false;
    }
    const Process::RowSettings s = settingsOf(*playing);
    if (sameFactors(s, taken)) return true;
    if (!Process::rowBeyondLimits(s, sourceSeconds(*playing)).empty()) return true;
    try {
        const Process::JobPlan plan = Process::planJob(s, quality, playing->getCache());
        if (audition.followsCurves())
            audition.setCurves(plan.curves, s.preserveFormants);
        else
            audition.setFactors(Process::fixedFactorsOf(plan.parameters));
    } catch (const std::invalid_argument&) {
        return true; // no usable time yet
    }
    taken = s;
    return true;
}

} // namespace App
