#include "process/FactorSource.h"

namespace Process {

CurveFactors::CurveFactors(const MarkPoints::CMarkPointArray& timeCurve,
                           const MarkPoints::CMarkPointArray& pitchCurve,
                           const MarkPoints::CMarkPointArray& formantCurve, bool preserve)
    : time(timeCurve), pitch(pitchCurve), formant(formantCurve), preserveFormants(preserve) {
}

Engine::Factors CurveFactors::factorsAt(std::int64_t position) {
    Engine::Factors f;
    f.time = Engine::saneTimeFactor(time.evaluate(position));
    f.pitch = Engine::saneRatio(pitch.evaluate(position));
    const double shift = formant.evaluate(position);
    f.formant = preserveFormants ? 1.0 / f.pitch : Engine::saneRatio(shift);
    return f;
}

void CurveFactors::rewind() {
    time.rewind();
    pitch.rewind();
    formant.rewind();
}

} // namespace Process
