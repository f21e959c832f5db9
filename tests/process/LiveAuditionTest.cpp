// The live audition: processed frames computed by the read-ahead producer while they play, the
// factors steered from another thread, a loop over the range, and what the listener hears when.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "JobTestFiles.h"
#include "audio/SampleCodec.h"
#include "output/AudioEngine.h"
#include "output/MixRenderer.h"
#include "process/LiveStretchSource.h"
#include "support/AllocationCounter.h"
#include "support/AlsaTestHome.h"
#include "support/TestSupport.h"

using namespace JobTest;
using namespace Process;
using MarkPoints::CMarkPoint;
using MarkPoints::KEEP;
using MarkPoints::LINEAR;

namespace {

const auto* const alsaHome = ::testing::AddGlobalTestEnvironment(new AlsaTestHome);

constexpr double kRate = 44100.0;

struct Source {
    TestSupport::TempDir dir;
    std::unique_ptr<Audio::CAudioFileCache> cache;
    explicit Source(std::size_t frames) {
        writeWave(dir.file("s.wav"), makeFormat(2, 44100, 16),
                  {TestSupport::sine(frames, 441.0, kRate, 0.5),
                   TestSupport::sine(frames, 661.5, kRate, 0.4)});
        cache = openCache(dir.file("s.wav"));
    }
};

RowSettings shifted(int semitones) {
    RowSettings row;
    row.semitones = semitones;
    return row;
}

// What the file job would write for the plan, as interleaved 16-bit frames.
std::vector<std::int16_t> processed(const JobPlan& plan) {
    FixedFactors fixed(fixedFactorsOf(plan.parameters));
    Audio::CAudioFileCache& cache = *plan.parameters.source;
    auto engine = makeJobEngine(plan.parameters, cache.file->format);
    const StreamRange range = rangeOf(plan.parameters, cache);
    const auto length = expectedLengthOf(plan.parameters, plan.curves, range, engine->step());
    StretchStream stream(cache, std::move(engine), fixed, range, length);
    std::vector<std::int16_t> out;
    while (const std::int32_t n = stream.next())
        for (std::int32_t i = 0; i < n; ++i)
            for (int c = 0; c < stream.channels(); ++c)
                out.push_back(Audio::SampleCodec::encode16(stream.frames()[c][i]));
    return out;
}

class StartListener : public Output::CPlaybackListener {
  public:
    void started(Audio::i32, Audio::i64 frame) override { start = frame; }
    void position(Audio::i32, Audio::i64) override {}
    std::atomic<Audio::i64> start{-1};
};

// Renders blocks of a mixer the way the read-ahead producer does.
struct Producer {
    Output::CMixRenderer mixer;
    std::vector<std::vector<float>> out{2, std::vector<float>(1024)};
    Producer() { mixer.start(); }
    void render(int blocks = 1) {
        float* channels[2] = {out[0].data(), out[1].data()};
        for (int b = 0; b < blocks; ++b)
            mixer.render(0, channels, 2, 1024);
    }
};

} // namespace

// The device's frames are counted when the change is made; the first captured frame that
// differs from the unchanged processing must follow within the allowance, and everything
// before it must be the unchanged processing: the stream went on, it did not start again.
TEST(LiveAudition, AFactorChangeIsHeardWithinTheAllowanceAndPlayGoesOn) {
    Source source(3 * 44100);
    const JobPlan plan = planJob(shifted(0), Engine::Quality::Medium, *source.cache);
    auto live = std::make_shared<LiveStretchSource>(plan, liveFactorsFor(plan), false);
    auto* factors = dynamic_cast<LiveFactors*>(&live->factorSource());
    ASSERT_NE(factors, nullptr);
    Output::CAudioEngine engine;
    engine.init(Output::deviceIdForName("swktest"));
    ASSERT_TRUE(engine.isInitialized());
    StartListener listener;
    engine.playLive(live, "s.wav", &listener, 0);
    EXPECT_LE(engine.getLiveLatency(), static_cast<Audio::i64>(0.2 * kRate));
    ASSERT_TRUE(TestSupport::waitUntil([&] { return engine.getFramesPlayed() >= 22050; },
                                       std::chrono::seconds(60)));
    const Audio::i64 changedAt = engine.getFramesPlayed();
    LivePosition before;
    ASSERT_TRUE(live->positionAt(static_cast<Audio::u64>(changedAt), before));
    factors->set({1.0, 1.5, 1.0});
    ASSERT_TRUE(TestSupport::waitUntil(
        [&] { return engine.getFramesPlayed() >= changedAt + 22050; }, std::chrono::seconds(60)));
    LivePosition after;
    ASSERT_TRUE(live->positionAt(static_cast<Audio::u64>(changedAt + 11025), after));
    engine.stop();
    EXPECT_EQ(listener.start.load(), 0);
    // A block that came too late is silence in the capture, which no comparison survives.
    if (engine.getUnderruns() > 0) GTEST_SKIP() << "the machine was too busy to play in time";

    EXPECT_NEAR(static_cast<double>(before.source), static_cast<double>(changedAt), 600.0);
    EXPECT_NEAR(static_cast<double>(after.source - before.source), 11025.0, 600.0);
    const std::vector<std::int16_t> unchanged = processed(plan);
    const auto bytes = TestSupport::readBytes(AlsaTestHome::capture);
    const std::size_t frames = std::min(bytes.size() / 4, unchanged.size() / 2);
    std::size_t differs = frames;
    for (std::size_t i = 0; i < frames * 2 && differs == frames; ++i)
        if (static_cast<std::int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8) != unchanged[i])
            differs = i / 2;
    ASSERT_LT(differs, frames) << "the change was never heard";
    EXPECT_GE(static_cast<Audio::i64>(differs), changedAt);
    EXPECT_LE(static_cast<Audio::i64>(differs) - changedAt, engine.getLiveLatency());
}

// Steady rendering allocates nothing: not when the factors change, not when new curves are
// taken, not when a loop starts the range again.
TEST(LiveAudition, TheProducersRenderAllocatesNothing) {
    Source source(20000);
    RowSettings row = shifted(0);
    row.useMarkPoints = true;
    row.curves[1] = curve({{5000, 1.2f, LINEAR}});
    const JobPlan curved = planJob(row, Engine::Quality::Best, *source.cache, 1000, 9000);
    const JobPlan fixed = planJob(shifted(4), Engine::Quality::Fast, *source.cache, 1000, 9000);
    for (const JobPlan* plan : {&curved, &fixed}) {
        auto live = std::make_shared<LiveStretchSource>(*plan, liveFactorsFor(*plan), true);
        Producer producer;
        auto* voice = new Output::CPlaybackVoice(producer.mixer, live, "", nullptr, 0);
        voice->start();
        producer.render(20); // through the first pass, so that the cache holds the range
        auto* curves = dynamic_cast<LiveCurveFactors*>(&live->factorSource());
        if (curves) curves->publish({curve({}), curve({{4000, 0.8f, KEEP}}), curve({})});
        AllocationCounter::watchThisThread();
        AllocationCounter::resetCount();
        producer.render(10);
        if (auto* f = dynamic_cast<LiveFactors*>(&live->factorSource())) f->set({1.3, 0.9, 1.0});
        producer.render(30);
        EXPECT_EQ(AllocationCounter::count(), 0u);
        AllocationCounter::stopWatchingThisThread();
        EXPECT_TRUE(voice->isActive());
        EXPECT_TRUE(live->factorSource().hasChanged());
        voice->stop();
        voice->release();
        producer.mixer.postCommand(Output::CMixRenderer::Release, voice);
        producer.render();
    }
}

// A loop plays the range's processing again and again, each pass the same frames, and the
// record of positions starts over with each pass.
TEST(LiveAudition, ALoopStartsTheStreamAgainAtTheRangesStart) {
    Source source(20000);
    const JobPlan plan = planJob(shifted(-3), Engine::Quality::Medium, *source.cache, 3000, 7000);
    const std::vector<std::int16_t> pass = processed(plan);
    auto live = std::make_shared<LiveStretchSource>(plan, liveFactorsFor(plan), true);
    Producer producer;
    auto* voice = new Output::CPlaybackVoice(producer.mixer, live, "", nullptr, 0);
    voice->start();
    std::vector<std::int16_t> heard;
    while (heard.size() < 3 * pass.size()) {
        producer.render();
        for (std::size_t i = 0; i < 1024; ++i)
            for (int c = 0; c < 2; ++c)
                heard.push_back(Audio::SampleCodec::encode16(producer.out[c][i]));
    }
    for (std::size_t i = 0; i < 3 * pass.size(); ++i)
        ASSERT_EQ(heard[i], pass[i % pass.size()]) << "frame " << i / 2;
    const std::uint64_t passFrames = pass.size() / 2;
    LivePosition p;
    ASSERT_TRUE(live->positionAt(passFrames + 100, p));
    EXPECT_EQ(p.processed, 100u);
    EXPECT_NEAR(static_cast<double>(p.source), 3100.0, 1.0);
    voice->stop();
    voice->release();
    producer.mixer.postCommand(Output::CMixRenderer::Release, voice);
    producer.render();
}

// New curves are taken at the next call and evaluated from where playback stands; a segment
// that keeps its factor keeps the one in force when they arrived.
TEST(LiveCurveFactors, NewCurvesAreTakenAtTheNextCallAndKeepHoldsTheFactorInForce) {
    LiveCurveFactors f({curve({}), curve({{10000, 2.0f, LINEAR}}), curve({})}, true);
    EXPECT_DOUBLE_EQ(f.factorsAt(5000).pitch, 1.5);
    EXPECT_FALSE(f.hasChanged());
    f.publish({curve({}), curve({{20000, 3.0f, KEEP}, {30000, 1.0f, LINEAR}}), curve({})});
    const Engine::Factors kept = f.factorsAt(6000);
    EXPECT_DOUBLE_EQ(kept.pitch, 1.5);
    EXPECT_DOUBLE_EQ(kept.formant, 1.0 / 1.5);
    EXPECT_TRUE(f.hasChanged());
    EXPECT_DOUBLE_EQ(f.factorsAt(25000).pitch, 2.0);
    // Unseen snapshots are replaced, taken ones freed by collect(); the newest wins.
    f.publish({curve({}), curve({{0, 0.5f, LINEAR}}), curve({})});
    f.publish({curve({}), curve({{0, 0.75f, LINEAR}}), curve({})});
    EXPECT_DOUBLE_EQ(f.factorsAt(26000).pitch, 0.75);
    f.rewind();
    EXPECT_DOUBLE_EQ(f.factorsAt(0).pitch, 0.75);
}

// The user-interface thread changes the factors while the producer reads them: the producer
// sees whole settings, never parts of two.
TEST(LiveFactorSources, ChangesFromAnotherThreadArriveWhole) {
    LiveFactors fixed({1.0, 1.0, 1.0});
    LiveCurveFactors curves({curve({}), curve({}), curve({})}, false);
    std::atomic<bool> done{false};
    std::thread ui([&] {
        for (int k = 1; k <= 2000; ++k) {
            const double v = 1.0 + k * 0.001;
            fixed.set({v, v, v});
            const auto flat = curve({{0, static_cast<float>(v), LINEAR}});
            curves.publish({flat, flat, flat});
        }
        done = true;
    });
    std::int64_t position = 0;
    int torn = 0;
    double lastSeen = 1.0;
    while (!done.load() || lastSeen < 2.999) {
        const Engine::Factors a = fixed.factorsAt(position);
        const Engine::Factors b = curves.factorsAt(position++);
        if (a.time != a.pitch || a.pitch != a.formant || b.time != b.pitch || b.pitch != b.formant)
            ++torn;
        lastSeen = b.time;
        if (done.load()) curves.collect();
    }
    ui.join();
    EXPECT_EQ(torn, 0);
    EXPECT_DOUBLE_EQ(fixed.factorsAt(position).pitch, 3.0);
}
