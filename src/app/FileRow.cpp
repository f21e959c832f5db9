#include "app/FileRow.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "audio/ChannelLayout.h"

namespace App {

using namespace Audio;
using Process::TimeUnit;

std::unique_ptr<CAudioFileCache> makeRowCache(std::unique_ptr<CAudioFile> file) {
    return std::make_unique<CAudioFileCache>(std::move(file), kRowCacheBlocks,
                                             kRowCacheBlockFrames);
}

MemberName MemberName::of(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return {path, "", path};
    return {path, path.substr(0, slash), path.substr(slash + 1)};
}

std::string sanitizeNumberField(const std::string& text, int minimum, int maximum) {
    std::size_t end = 0;
    while (end < text.size() && (std::isdigit(static_cast<unsigned char>(text[end])) ||
                                 (end == 0 && (text[0] == '-' || text[0] == '+'))))
        ++end;
    std::string kept = text.substr(0, end);
    if (kept.empty()) return "0";
    const std::size_t digits = kept.find_first_of("0123456789");
    if (digits == std::string::npos) return kept; // a sign on its way to a number
    long long value = 0;
    const char* first = kept.data() + digits;
    const auto [ptr, ec] = std::from_chars(first, kept.data() + kept.size(), value);
    const bool negative = kept[0] == '-';
    if (ec == std::errc::result_out_of_range) return std::to_string(negative ? minimum : maximum);
    if (negative) value = -value;
    if (value > maximum) return std::to_string(maximum);
    if (value < minimum) return std::to_string(minimum);
    return kept;
}

namespace {

std::string kindOf(u32 channels, bool split) {
    if (!split) return std::string(singleFileLayoutName(channels)) + " - ";
    const SplitLayout* layout = splitLayoutOf(channels);
    return layout ? std::string(layout->name) + " - " : std::string();
}

int fieldValue(const std::string& text) {
    int value = 0;
    const char* first = text.data() + (!text.empty() && text[0] == '+' ? 1 : 0);
    std::from_chars(first, text.data() + text.size(), value);
    return value;
}

} // namespace

std::string durationOf(u64 frames, u32 rate) {
    const auto total = static_cast<u64>(static_cast<double>(frames) / rate + 0.01);
    const u64 hours = total / 3600, minutes = total % 3600 / 60, secs = total % 60;
    char text[64];
    if (hours)
        std::snprintf(
            text, sizeof text, "%llu:%.2llu:%.2llu", static_cast<unsigned long long>(hours),
            static_cast<unsigned long long>(minutes), static_cast<unsigned long long>(secs));
    else if (minutes)
        std::snprintf(text, sizeof text, "%llu:%.2llu min",
                      static_cast<unsigned long long>(minutes),
                      static_cast<unsigned long long>(secs));
    else
        std::snprintf(text, sizeof text, "%llu sec", static_cast<unsigned long long>(secs));
    return text;
}

std::string infoLineOf(const AudioFormat& format, u64 frames, bool split) {
    if (format.sampleRate == 0) return kindOf(format.channels, split);
    char rate[64];
    std::snprintf(rate, sizeof rate, "%.1f kHz - %u Bit - ", format.sampleRate * 0.001,
                  format.bitsPerSample);
    return kindOf(format.channels, split) + rate + durationOf(frames, format.sampleRate);
}

std::string formatTimeValue(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.5f", value);
    return text;
}

std::optional<double> parseUserNumber(const std::string& text) {
    std::string s = text;
    for (char& c : s)
        if (c == ',') c = '.';
    const auto begin = s.find_first_not_of(' ');
    if (begin == std::string::npos) return std::nullopt;
    double value = 0.0;
    const char* first = s.data() + begin + (s[begin] == '+' ? 1 : 0);
    const auto [ptr, ec] = std::from_chars(first, s.data() + s.size(), value);
    if (ec != std::errc() || !std::isfinite(value)) return std::nullopt;
    for (const char* p = ptr; p != s.data() + s.size(); ++p)
        if (*p != ' ') return std::nullopt;
    return value;
}

CFileRow::CFileRow(std::unique_ptr<CAudioFileCache> source,
                   const std::vector<std::string>& memberPaths, bool isSplit, FileType type)
    : cache(std::move(source)), split(isSplit), fileType(type) {
    if (!cache || memberPaths.empty()) throw std::invalid_argument("a row needs a source");
    for (const std::string& p : memberPaths)
        members.push_back(MemberName::of(p));
    date = cache->getDate();
    seconds = durationSeconds();
    timeText = formatTimeValue(percent);
    // An idle row keeps no file open; the cache reopens it on the next read.
    std::lock_guard lock(cache->tableMutex());
    if (cache->file->isOpen()) cache->file->close();
}

CFileRow::~CFileRow() = default;

double CFileRow::durationSeconds() const {
    const u32 rate = format().sampleRate;
    return rate ? static_cast<double>(frames()) / rate : 0.0;
}

std::string CFileRow::nameLine() const {
    return members.front().name;
}

std::string CFileRow::infoLine() const {
    return infoLineOf(format(), frames(), split);
}

std::string CFileRow::editorTitle() const {
    if (!split) return nameLine();
    const SplitLayout* layout = splitLayoutOf(format().channels);
    return layout ? layout->title : "Unknown";
}

std::optional<double> CFileRow::timeFieldValue() const {
    const std::optional<double> value = parseUserNumber(timeText);
    if (!value || *value <= 0.0) return std::nullopt;
    return value;
}

void CFileRow::recomputeFrom(TimeUnit unit, double value) {
    const double d = durationSeconds();
    if (unit == Process::Seconds)
        percent = d > 0.0 ? value / d * 100.0 : percent;
    else if (unit == Process::Percent)
        percent = value;
    else if (sourceBpm > 0.0)
        percent = sourceBpm / value * 100.0;
    seconds = d * percent * 0.01;
    if (sourceBpm > 0.0) targetBpm = sourceBpm * 100.0 / percent;
}

double CFileRow::valueOf(TimeUnit unit) const {
    if (unit == Process::Seconds) return seconds;
    if (unit == Process::Percent) return percent;
    return targetBpm;
}

std::string CFileRow::setSemitoneText(const std::string& text) {
    std::string shown = sanitizeNumberField(text, -kSemitoneLimit, kSemitoneLimit);
    semitones = fieldValue(shown);
    return shown;
}

std::string CFileRow::setCentText(const std::string& text) {
    std::string shown = sanitizeNumberField(text, -kCentLimit, kCentLimit);
    cents = fieldValue(shown);
    return shown;
}

void CFileRow::setDoubleLength(bool on) {
    doubleLength = on;
    if (on) useMarkPoints = false;
}

void CFileRow::setUseMarkPoints(bool on) {
    useMarkPoints = on;
    if (on) doubleLength = false;
}

Process::RowSettings CFileRow::settings() const {
    Process::RowSettings s;
    s.semitones = semitones;
    s.cents = cents;
    s.timeUnit = timeUnit;
    s.sourceBpm = sourceBpm;
    s.timeValue = parseUserNumber(timeText).value_or(0.0);
    s.preserveFormants = preserveFormants;
    s.doubleLength = doubleLength;
    s.useMarkPoints = useMarkPoints;
    for (std::size_t k = 0; k < 3; ++k)
        s.curves[k] = markPoints[k];
    return s;
}

Process::RowSource CFileRow::source() const {
    Process::RowSource s;
    s.cache = cache.get();
    for (const MemberName& m : members)
        s.memberPaths.push_back(m.path);
    s.split = split;
    s.fileType = static_cast<std::int32_t>(fileType);
    return s;
}

} // namespace App

namespace App {

std::optional<double> sourceBpmFrom(const std::string& text) {
    const std::optional<double> value = parseUserNumber(text);
    if (!value || !(*value > 1.0 && *value <= 10000.0)) return std::nullopt;
    return value;
}

} // namespace App

namespace App {

const char* externalEditorRefusal(const CFileRow& row) {
    if (row.editorOpen) return "close the editor before you start a external wave editor!";
    if (row.busy)
        return "you should not open this file in a wave editor while a kalo rendering is in "
               "progress!";
    if (row.overviewBuilding != 0) return "opening the wave editor is not allowed for the moment!";
    return nullptr;
}

} // namespace App
