#pragma once
// Where a stream takes the engine's factors before every call: fixed for a whole file, or read
// from the mark point curves at the source position.
#include <cstdint>

#include "engine/Factors.h"
#include "markpoints/MarkPointArray.h"
#include "process/ScaleArray.h"

namespace Process {

// Called on the thread that reads the stream, before every engine call, with source positions
// that grow between rewinds. Implementations allocate nothing there.
class FactorSource {
  public:
    virtual ~FactorSource() = default;
    virtual Engine::Factors factorsAt(std::int64_t sourcePosition) = 0;
    // Back before the first call of a stream.
    virtual void rewind() {}
};

class FixedFactors : public FactorSource {
  public:
    explicit FixedFactors(const Engine::Factors& factors_) : factors(factors_) {}
    Engine::Factors factorsAt(std::int64_t) override { return factors; }

  private:
    Engine::Factors factors;
};

// The curves in the order time, pitch, formant; with `preserveFormants` the formant factor is
// 1 / pitch wherever the pitch curve stands.
class CurveFactors : public FactorSource {
  public:
    CurveFactors(const MarkPoints::CMarkPointArray& timeCurve,
                 const MarkPoints::CMarkPointArray& pitchCurve,
                 const MarkPoints::CMarkPointArray& formantCurve, bool preserveFormants);
    Engine::Factors factorsAt(std::int64_t sourcePosition) override;
    void rewind() override;

  private:
    ScaleArray time, pitch, formant;
    bool preserveFormants;
};

} // namespace Process
