#pragma once
// The factor sources a live audition steers while it plays. The user-interface thread changes
// them; the read-ahead producer asks them before every engine call. Neither side ever waits for
// the other: fixed factors travel through a sequence lock of atomics, curves as immutable
// snapshots swapped in through atomic pointers and freed again on the user-interface thread.
#include <array>
#include <atomic>
#include <memory>
#include <vector>

#include "engine/Factors.h"
#include "process/FactorSource.h"
#include "process/JobPlan.h"
#include "process/ScaleArray.h"

namespace Process {

class LiveFactorSource : public FactorSource {
  public:
    // Producer thread: whether the factors differ from the ones the stream started with, so
    // the job's promised length no longer holds.
    bool hasChanged() const { return changed; }

  protected:
    bool changed = false;
};

// Factors fixed along the source, changed as a whole. One thread sets, one reads.
class LiveFactors : public LiveFactorSource {
  public:
    explicit LiveFactors(const Engine::Factors& factors);

    // User-interface thread: the next engine call uses these.
    void set(const Engine::Factors& factors);
    Engine::Factors factorsAt(std::int64_t sourcePosition) override;

  private:
    // Odd while set() writes; a reader that meets a write keeps the factors it had. The reader
    // never waits for the writer.
    std::atomic<unsigned> version{0};
    std::atomic<double> time{1.0}, pitch{1.0}, formant{1.0};
    Engine::Factors last;
    Engine::Factors first;
};

// The mark point curves, replaced as a whole whenever the user edits them.
class LiveCurveFactors : public LiveFactorSource {
  public:
    LiveCurveFactors(const Curves& curves, bool preserveFormants);
    ~LiveCurveFactors() override;
    LiveCurveFactors(const LiveCurveFactors&) = delete;
    LiveCurveFactors& operator=(const LiveCurveFactors&) = delete;

    // User-interface thread: the curves as they stand now, taken at the next engine call. A
    // segment that keeps its factor (KEEP) goes on from the factor in force when they are taken.
    void publish(const Curves& curves);
    // User-interface thread: frees the snapshot the producer has let go of. publish() does it
    // too; call it now and then so that the producer can take the next one.
    void collect();
    // User-interface thread: the formant factor undoes the pitch shift, or follows its curve.
    void setPreserveFormants(bool on) { preserveFormants.store(on); }

    Engine::Factors factorsAt(std::int64_t sourcePosition) override;
    void rewind() override;

  private:
    struct Snapshot {
        std::array<std::vector<MarkPoints::CMarkPoint>, 3> points;
    };
    static Snapshot* snapshotOf(const Curves& curves);
    void takeIncoming();

    std::atomic<bool> preserveFormants;
    // The producer's: the snapshot it evaluates and where each curve's evaluation stands.
    Snapshot* inUse;
    std::array<CurveCursor, 3> cursors;
    // From the user-interface thread to the producer, and back once replaced.
    std::atomic<Snapshot*> incoming{nullptr};
    std::atomic<Snapshot*> retired{nullptr};
};

// The live factor source of a job: its curves when it follows them, else its fixed factors.
std::unique_ptr<LiveFactorSource> liveFactorsFor(const JobPlan& plan);

} // namespace Process
