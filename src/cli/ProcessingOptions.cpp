#include "cli/ProcessingOptions.h"

#include <charconv>
#include <cmath>
#include <ostream>

#include "markpoints/MarkPointFile.h"
#include "process/ProcessingLimits.h"

namespace Cli {

using namespace Process;

const char* const processingOptionsHelp =
    "  --time 150%            new duration in percent of the source (10% to 12800%)\n"
    "  --time 12.5s           new duration in seconds\n"
    "  --time 128bpm          new tempo; needs --source-bpm\n"
    "  --source-bpm BPM       tempo of the source\n"
    "  --semitones N          pitch shift; with the cents at most 24 semitones either way\n"
    "  --cents N              pitch shift, -99..99\n"
    "  --preserve-formants    keep the voice's character while shifting the pitch\n"
    "  --double-length        twice the length, pitch unchanged (overrides the above)\n"
    "  --exact-pitch          the pitch exactly as asked (default from the settings file)\n"
    "  --quality Q            mono, fast, medium, best or studio (default from the settings\n"
    "                         file); fast and medium take the same path and give the same\n"
    "                         result; studio is the cleanest and takes the most time\n"
    "  --markpoints FILE.mpt  follow the time, pitch and formant curves of a mark point file\n";

namespace {

double parseNumber(const std::string& text, const std::string& what) {
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        throw UsageError(what + ": '" + text + "' is not a number");
    return value;
}

void parseTime(const std::string& text, RowSettings& row) {
    auto endsWith = [&](const std::string& suffix) {
        return text.size() > suffix.size() &&
               text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
    };
    std::size_t unitLength = 0;
    if (endsWith("%"))
        row.timeUnit = Percent, unitLength = 1;
    else if (endsWith("bpm"))
        row.timeUnit = Bpm, unitLength = 3;
    else if (endsWith("s"))
        row.timeUnit = Seconds, unitLength = 1;
    else
        throw UsageError("--time takes a value with a unit: 150%, 12.5s or 128bpm");
    row.timeValue = parseNumber(text.substr(0, text.size() - unitLength), "--time");
    if (row.timeValue <= 0.0) throw UsageError("--time must be greater than 0");
}

Engine::Quality parseQuality(const std::string& name) {
    if (name == "mono") return Engine::Quality::Monophonic;
    if (name == "fast") return Engine::Quality::Fast;
    if (name == "medium") return Engine::Quality::Medium;
    if (name == "best") return Engine::Quality::Best;
    if (name == "studio") return Engine::Quality::Studio;
    throw UsageError("--quality takes mono, fast, medium, best or studio");
}

bool takeFlag(const std::string& word, RowSettings& row) {
    if (word == "--preserve-formants")
        row.preserveFormants = true;
    else if (word == "--double-length")
        row.doubleLength = true;
    else if (word == "--exact-pitch")
        row.exactPitch = true;
    else
        return false;
    return true;
}

} // namespace

bool takeProcessingOption(const std::string& word, Arguments& args, ProcessingOptions& o) {
    if (takeFlag(word, o.row))
        ;
    else if (word == "--time")
        parseTime(args.value(word), o.row), o.timeGiven = true;
    else if (word == "--source-bpm")
        o.row.sourceBpm = parseNumber(args.value(word), word);
    else if (word == "--semitones")
        o.row.semitones = static_cast<int>(args.integer(word, -48, 48));
    else if (word == "--cents")
        o.row.cents = static_cast<int>(args.integer(word, -99, 99));
    else if (word == "--quality")
        o.quality = parseQuality(args.value(word));
    else if (word == "--markpoints")
        o.markpoints = args.value(word);
    else
        return false;
    o.given = true;
    return true;
}

void checkProcessingOptions(const ProcessingOptions& o) {
    if (o.row.timeUnit == Bpm && o.timeGiven && o.row.sourceBpm <= 0.0)
        throw UsageError("--time in bpm needs --source-bpm with the tempo of the source");
}

void applySettings(ProcessingOptions& o, const App::JobSettings& settings) {
    if (!o.quality) o.quality = settings.quality;
    o.row.exactPitch = o.row.exactPitch || settings.exactPitch;
}

void loadMarkpoints(ProcessingOptions& o, std::ostream& err) {
    if (o.markpoints.empty()) return;
    const MarkPoints::CAnchorPointsLoadSave content = MarkPoints::loadMarkPointFile(o.markpoints);
    for (std::uint32_t scale = MarkPoints::SCALE_TIME; scale <= MarkPoints::SCALE_FORMANT; ++scale)
        o.row.curves[scale - 1] = content.getScale(scale);
    o.row.useMarkPoints = true;
    const std::string problem = curvesBeyondLimits(o.row);
    if (!problem.empty())
        err << "stretchwerk-cli: " << o.markpoints << ": warning: " << problem << '\n';
}

} // namespace Cli
