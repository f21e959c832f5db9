#include "cli/ProcessReport.h"

#include "cli/JsonObject.h"

namespace Cli {

const char* qualityKey(Engine::Quality quality) {
    switch (quality) {
    case Engine::Quality::Monophonic:
        return "mono";
    case Engine::Quality::Fast:
        return "fast";
    case Engine::Quality::Medium:
        return "medium";
    case Engine::Quality::Best:
        return "best";
    case Engine::Quality::Studio:
        return "studio";
    }
    return "fast";
}

namespace {

const char* statusKey(ProcessReport::Status status) {
    switch (status) {
    case ProcessReport::Done:
        return "done";
    case ProcessReport::Stopped:
        return "stopped";
    case ProcessReport::Failed:
        break;
    }
    return "failed";
}

const char* unitKey(Process::TimeUnit unit) {
    switch (unit) {
    case Process::Seconds:
        return "seconds";
    case Process::Bpm:
        return "bpm";
    case Process::Percent:
        break;
    }
    return "percent";
}

JsonObject settingsJson(const ProcessReport& r) {
    const Process::RowSettings& row = *r.settings;
    JsonObject s;
    s.add("time", row.timeValue).add("timeUnit", unitKey(row.timeUnit));
    if (row.timeUnit == Process::Bpm) s.add("sourceBpm", row.sourceBpm);
    s.add("semitones", row.semitones)
        .add("cents", row.cents)
        .add("preserveFormants", row.preserveFormants)
        .add("doubleLength", row.doubleLength)
        .add("exactPitch", row.exactPitch)
        .add("quality", qualityKey(r.quality));
    if (r.markpoints.empty())
        s.addNull("markpoints");
    else
        s.add("markpoints", r.markpoints);
    return s;
}

} // namespace

std::string processReportJson(const ProcessReport& r) {
    JsonObject o;
    o.add("source", r.sources.empty() ? std::string() : r.sources[0]).add("sources", r.sources);
    o.add("status", statusKey(r.status));
    if (r.results.empty())
        o.addNull("result");
    else
        o.add("result", r.results[0]);
    o.add("results", r.results).add("frames", r.frames);
    const Audio::FileFormat* format = Audio::formatOf(r.format);
    if (format && !r.results.empty())
        o.add("format", format->key);
    else
        o.addNull("format");
    o.add("seconds", r.seconds);
    if (r.settings) o.add("settings", settingsJson(r));
    if (r.status == ProcessReport::Failed) o.add("error", r.error);
    return o.text();
}

} // namespace Cli
