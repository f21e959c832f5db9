#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <ostream>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "cli/Commands.h"
#include "markpoints/MarkPointFile.h"

using namespace MarkPoints;

namespace Cli {

const char* const markpointsHelp =
    "usage: stretchwerk-cli markpoints show CURVES.mpt\n"
    "       stretchwerk-cli markpoints make OUT.mpt [--time POINTS] [--pitch POINTS]\n"
    "                  [--formant POINTS] [--sample-rate N] [--base-bpm X] [--force]\n"
    "\n"
    "'show' prints the three curves of a mark point file (time, pitch, formant): each\n"
    "point's frame, value and line style, and the file's sample rate and base BPM.\n"
    "\n"
    "'make' writes a mark point file, so that curves can be made without the editor.\n"
    "POINTS is a comma-separated list of FRAME:VALUE[:linear|square|keep], for example\n"
    "--time 0:1,44100:1.5,88200:1.5:keep. FRAME is a source frame (0 or more, each once\n"
    "per curve); VALUE is the factor, a positive number (time: output duration / input\n"
    "duration; pitch and formant: frequency ratios); the style shapes the line that ends\n"
    "at the point (linear when left out). A curve that is not given stays empty (1.0).\n"
    "Defaults: --sample-rate 44100, --base-bpm 120. An existing OUT is only replaced\n"
    "with --force; OUT is replaced only once the new file is complete.\n";

namespace {

struct Curve {
    const char* name;
    const char* option;
    std::uint32_t scaleId;
};

constexpr std::array<Curve, 3> curves{{{"time", "--time", SCALE_TIME},
                                       {"pitch", "--pitch", SCALE_PITCH},
                                       {"formant", "--formant", SCALE_FORMANT}}};

std::string styleName(std::uint32_t style) {
    if (style == LINEAR) return "linear";
    if (style == SQUARE) return "square";
    if (style == KEEP) return "keep";
    return "unknown style " + std::to_string(style);
}

std::optional<std::uint32_t> styleOf(const std::string& name) {
    if (name == "linear") return LINEAR;
    if (name == "square") return SQUARE;
    if (name == "keep") return KEEP;
    return std::nullopt;
}

// The shortest text that reads back as the same float.
std::string shortest(float value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

// The whole text as a number of the given type, or nothing.
template <typename T> std::optional<T> numberOf(const std::string& text) {
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1)
        parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
}

// One FRAME:VALUE[:STYLE] item of a curve option.
CMarkPoint parsePoint(const std::string& option, const std::string& item) {
    const auto fields = split(item, ':');
    const auto usage = [&](const std::string& problem) {
        return UsageError("markpoints: " + option + " '" + item + "': " + problem);
    };
    if (fields.size() < 2 || fields.size() > 3)
        throw usage("write FRAME:VALUE or FRAME:VALUE:linear|square|keep");
    const auto frame = numberOf<std::int32_t>(fields[0]);
    if (!frame || *frame < 0) throw usage("the frame must be a whole number from 0 to 2147483647");
    const auto value = numberOf<float>(fields[1]);
    if (!value || !std::isfinite(*value) || *value <= 0.0f)
        throw usage("the value must be a positive number");
    const auto style = fields.size() == 3 ? styleOf(fields[2]) : std::optional(LINEAR);
    if (!style) throw usage("the style must be linear, square or keep");
    return {*frame, *value, *style, 0};
}

CMarkPointArray parseCurve(const std::string& option, const std::string& list) {
    CMarkPointArray points;
    for (const std::string& item : split(list, ',')) {
        const CMarkPoint point = parsePoint(option, item);
        if (points.find(point.framePosition)) {
            std::string text = "markpoints: " + option;
            text += " '" + item + "': frame ";
            text += std::to_string(point.framePosition) + " is given twice";
            throw UsageError(text);
        }
        points.insertUnique(point);
    }
    return points;
}

struct MakeRequest {
    std::string out;
    CAnchorPointsLoadSave content;
    bool force = false;
};

bool takeCurveOption(const std::string& word, Arguments& args, MakeRequest& request,
                     std::array<bool, 3>& given) {
    for (std::size_t i = 0; i < curves.size(); ++i) {
        if (word != curves[i].option) continue;
        if (given[i]) throw UsageError("markpoints: " + word + " is given twice");
        given[i] = true;
        request.content.getScale(curves[i].scaleId) = parseCurve(word, args.value(word));
        return true;
    }
    return false;
}

float parseBpm(Arguments& args, const std::string& option) {
    const std::string text = args.value(option);
    const auto bpm = numberOf<float>(text);
    if (!bpm || !std::isfinite(*bpm) || *bpm <= 0.0f)
        throw UsageError("markpoints: " + option + " takes a positive number, not '" + text + "'");
    return *bpm;
}

MakeRequest parseMake(Arguments& args) {
    MakeRequest request;
    request.content.setSampleRate(44100);
    request.content.setBaseBpm(120.0f);
    std::array<bool, 3> given{};
    std::vector<std::string> operands;
    while (!args.done()) {
        const std::string word = args.take();
        if (takeCurveOption(word, args, request, given)) continue;
        if (word == "--force" || word == "-f")
            request.force = true;
        else if (word == "--sample-rate")
            request.content.setSampleRate(
                static_cast<std::uint32_t>(args.integer(word, 1, 4294967295L)));
        else if (word == "--base-bpm")
            request.content.setBaseBpm(parseBpm(args, word));
        else if (Arguments::isOption(word))
            throw UsageError("markpoints make: unknown option " + word);
        else
            operands.push_back(word);
    }
    if (operands.size() != 1) throw UsageError("markpoints make: name one file to write");
    request.out = operands[0];
    return request;
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

int make(Arguments& args, Streams io) {
    const MakeRequest request = parseMake(args);
    if (exists(request.out) && !request.force) {
        io.err << describeFailure(request.out, "exists already; use --force to replace it") << '\n';
        return 1;
    }
    try {
        saveMarkPointFile(request.out, request.content);
    } catch (const std::exception& e) {
        io.err << describeFailure(request.out, e.what()) << '\n';
        return 1;
    }
    std::size_t points = 0;
    for (const Curve& curve : curves)
        points += request.content.getScale(curve.scaleId).size();
    io.out << request.out << ": " << points << " mark points written\n";
    return 0;
}

void print(std::ostream& out, const std::string& path, const CAnchorPointsLoadSave& content) {
    out << "File: " << path << '\n';
    out << "Sample Rate: " << content.getSampleRate() << " Hz\n";
    out << "Base BPM: " << shortest(content.getBaseBpm()) << '\n';
    for (const Curve& curve : curves) {
        const CMarkPointArray& points = content.getScale(curve.scaleId);
        out << curve.name << ": " << points.size()
            << (points.size() == 1 ? " point\n" : " points\n");
        for (const CMarkPoint& point : points)
            out << "  " << point.framePosition << ' ' << shortest(point.value) << ' '
                << styleName(point.lineStyle) << '\n';
    }
}

int show(Arguments& args, Streams io) {
    if (args.done()) throw UsageError("markpoints show: name one mark point file");
    const std::string path = args.take();
    if (Arguments::isOption(path)) throw UsageError("markpoints show: unknown option " + path);
    if (!args.done()) throw UsageError("markpoints show: name only one file");
    try {
        print(io.out, path, loadMarkPointFile(path));
    } catch (const std::exception& e) {
        io.err << describeFailure(path, e.what()) << '\n';
        return 1;
    }
    return 0;
}

} // namespace

int runMarkpoints(Arguments& args, Streams io) {
    if (args.done()) throw UsageError("markpoints: say 'show' or 'make'");
    const std::string action = args.take();
    if (action == "--help" || action == "-h") {
        io.out << markpointsHelp;
        return 0;
    }
    if (!args.done() && (args.peek() == "--help" || args.peek() == "-h")) {
        io.out << markpointsHelp;
        return 0;
    }
    if (action == "show") return show(args, io);
    if (action == "make") return make(args, io);
    throw UsageError("markpoints: unknown action '" + action + "'; say 'show' or 'make'");
}

} // namespace Cli
