#include "editor/LiveCurveAudition.h"

namespace Editor {

void LiveCurveAudition::play(Audio::CAudioFileCache& source, const Process::Curves& curves,
                             std::int64_t from, Engine::Quality quality,
                             const std::string& displayName) {
    source.refresh();
    const auto length = static_cast<std::int64_t>(source.file->getFrames());
    const std::int64_t start = from >= 0 && from < length - 1 ? from : 0;
    audition.play(Process::planJob(Process::curvesOnly(curves), quality, source, start, length),
                  displayName, false, nullptr);
    taken = curves;
}

bool LiveCurveAudition::follow(const Process::Curves& curves) {
    if (!audition.isPlaying()) return false;
    if (curves != taken) {
        audition.setCurves(curves, false);
        taken = curves;
    }
    return true;
}

std::optional<std::int64_t> LiveCurveAudition::sourceFrame() {
    const auto p = audition.position();
    if (!p) return std::nullopt;
    return p->source;
}

} // namespace Editor
