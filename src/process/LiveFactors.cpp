#include "process/LiveFactors.h"

namespace Process {

LiveFactors::LiveFactors(const Engine::Factors& factors) : last(factors), first(factors) {
    set(factors);
}

// Sequentially consistent throughout, which needs no fences (ThreadSanitizer sees those not):
// a reader that meets a factor of this write meets the odd version after it.
void LiveFactors::set(const Engine::Factors& f) {
    const unsigned v = version.load();
    version.store(v + 1);
    time.store(f.time);
    pitch.store(f.pitch);
    formant.store(f.formant);
    version.store(v + 2);
}

Engine::Factors LiveFactors::factorsAt(std::int64_t) {
    const unsigned before = version.load();
    if (before & 1u) return last;
    const Engine::Factors read{time.load(), pitch.load(), formant.load()};
    if (version.load() != before) return last;
    last = read;
    if (read.time != first.time || read.pitch != first.pitch || read.formant != first.formant)
        changed = true;
    return last;
}

LiveCurveFactors::LiveCurveFactors(const Curves& curves, bool preserve)
    : preserveFormants(preserve), inUse(snapshotOf(curves)) {
}

LiveCurveFactors::~LiveCurveFactors() {
    delete inUse;
    delete incoming.load();
    delete retired.load();
}

LiveCurveFactors::Snapshot* LiveCurveFactors::snapshotOf(const Curves& curves) {
    auto* s = new Snapshot;
    for (std::size_t k = 0; k < curves.size(); ++k)
        s->points[k].assign(curves[k].begin(), curves[k].end());
    return s;
}

void LiveCurveFactors::publish(const Curves& curves) {
    collect();
    // One the producer has not taken yet is replaced unseen: it is ours to free.
    delete incoming.exchange(snapshotOf(curves), std::memory_order_acq_rel);
}

void LiveCurveFactors::collect() {
    delete retired.exchange(nullptr, std::memory_order_acq_rel);
}

// Producer: a new snapshot is taken only once the one it replaced before has been collected,
// so that the producer never frees one.
void LiveCurveFactors::takeIncoming() {
    if (!incoming.load(std::memory_order_relaxed) || retired.load(std::memory_order_acquire))
        return;
    Snapshot* next = incoming.exchange(nullptr, std::memory_order_acq_rel);
    if (!next) return;
    retired.store(inUse, std::memory_order_release);
    inUse = next;
    for (CurveCursor& c : cursors)
        c.resume();
    changed = true;
}

Engine::Factors LiveCurveFactors::factorsAt(std::int64_t position) {
    takeIncoming();
    Engine::Factors f;
    f.time = Engine::saneTimeFactor(cursors[0].evaluate(inUse->points[0], position));
    f.pitch = Engine::saneRatio(cursors[1].evaluate(inUse->points[1], position));
    const double shift = cursors[2].evaluate(inUse->points[2], position);
    f.formant =
        preserveFormants.load(std::memory_order_relaxed) ? 1.0 / f.pitch : Engine::saneRatio(shift);
    return f;
}

void LiveCurveFactors::rewind() {
    for (CurveCursor& c : cursors)
        c.rewind();
}

std::unique_ptr<LiveFactorSource> liveFactorsFor(const JobPlan& plan) {
    if (followsCurves(plan.parameters))
        return std::make_unique<LiveCurveFactors>(plan.curves, plan.parameters.preserveFormants);
    return std::make_unique<LiveFactors>(fixedFactorsOf(plan.parameters));
}

} // namespace Process
