#pragma once
// One entry of the batch list: a source (a file or a split set), its processing parameters
// and its mark point curves. Lives on the user-interface thread; `busy` and `overviewBuilding`
// are also written by the worker that processes or scans the row.
#include <array>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/AudioFileCache.h"
#include "audio/AudioFileOpener.h"
#include "markpoints/MarkPointArray.h"
#include "process/RowProcessor.h"

namespace App {

// Every cache the list makes (sources, results, overviews) holds this many blocks of this size.
inline constexpr Audio::i32 kRowCacheBlocks = 10;
inline constexpr Audio::u32 kRowCacheBlockFrames = 65536;

std::unique_ptr<Audio::CAudioFileCache> makeRowCache(std::unique_ptr<Audio::CAudioFile> file);

inline constexpr int kSemitoneLimit = 48;
inline constexpr int kCentLimit = 99;

// One member file of a row: its full path, the folder before the last '/' and the name after it.
struct MemberName {
    std::string path;
    std::string directory;
    std::string name;

    static MemberName of(const std::string& path);
};

// What a semitone or cent field keeps of a typed text: the text up to the first character that
// is neither a digit nor a leading sign; "0" when empty; the limit's text when beyond it.
std::string sanitizeNumberField(const std::string& text, int minimum, int maximum);

// "Stereo - 44.1 kHz - 16 Bit - 3:25 min".
std::string infoLineOf(const Audio::AudioFormat& format, Audio::u64 frames, bool split);

// The information line's duration: "1:02:05", "3:25 min" or "45 sec".
std::string durationOf(Audio::u64 frames, Audio::u32 rate);

// "%.5f" with the C locale's decimal point.
std::string formatTimeValue(double value);
// A number typed by the user, "," read as "."; nothing when it is not one.
std::optional<double> parseUserNumber(const std::string& text);

class CFileRow {
  public:
    CFileRow(std::unique_ptr<Audio::CAudioFileCache> cache,
             const std::vector<std::string>& memberPaths, bool split, Audio::FileType fileType);
    ~CFileRow();
    CFileRow(const CFileRow&) = delete;
    CFileRow& operator=(const CFileRow&) = delete;

    Audio::CAudioFileCache& getCache() const { return *cache; }
    const std::vector<MemberName>& getMembers() const { return members; }
    bool isSplit() const { return split; }
    Audio::FileType getFileType() const { return fileType; }
    const Audio::FileDate& getDate() const { return date; }
    const Audio::AudioFormat& format() const { return cache->file->format; }
    Audio::u64 frames() const { return cache->file->getFrames(); }
    double durationSeconds() const;

    // The name line (member 0's file name) and the information line.
    std::string nameLine() const;
    std::string infoLine() const;
    // The window title of the row's wave editor.
    std::string editorTitle() const;

    // Time field: the text the user typed in the current unit.
    Process::TimeUnit getTimeUnit() const { return timeUnit; }
    const std::string& getTimeText() const { return timeText; }
    void setTimeText(std::string text) { timeText = std::move(text); }
    // Parses the field in the current unit, recomputes the three values and shows the new
    // unit's value. Nothing changes for the same unit. Choosing "bpm" needs the source BPM:
    // `askSourceBpm` is asked when it is unset or `askAlways` (Ctrl held) and may cancel, which
    // keeps the previous unit; the return tells whether the unit changed.
    template <class AskBpm> bool changeTimeUnit(Process::TimeUnit unit, bool askAlways, AskBpm ask);
    double getSeconds() const { return seconds; }
    double getPercent() const { return percent; }
    double getTargetBpm() const { return targetBpm; }
    double getSourceBpm() const { return sourceBpm; }
    void setSourceBpm(double bpm) { sourceBpm = bpm; }

    // Semitone and cent fields, sanitised as typed; returns the text the field shows.
    std::string setSemitoneText(const std::string& text);
    std::string setCentText(const std::string& text);
    int getSemitones() const { return semitones; }
    int getCents() const { return cents; }

    // Check boxes and their interplay.
    void setDoubleLength(bool on);
    void setUseMarkPoints(bool on);
    void setPreserveFormants(bool on) { preserveFormants = on; }
    bool getDoubleLength() const { return doubleLength; }
    bool getUseMarkPoints() const { return useMarkPoints; }
    bool getPreserveFormants() const { return preserveFormants; }
    // The semitone, cent and time fields, their spins and the unit list.
    bool parametersEnabled() const { return !doubleLength && !useMarkPoints; }
    bool preserveFormantsEnabled() const { return !doubleLength; }

    std::array<MarkPoints::CMarkPointArray, 3>& curves() { return markPoints; }
    const std::array<MarkPoints::CMarkPointArray, 3>& curves() const { return markPoints; }

    // The job's view of the parameters. Throws std::invalid_argument for a time value that
    // gives no usable factor.
    Process::RowSettings settings() const;
    Process::RowSource source() const;

    // Overview of the waveform, built on first use of the editor from the source as it was on
    // `sourceDate` (the date of the source's cache then).
    Audio::CAudioFileCache* getOverview() const { return overview.get(); }
    void setOverview(std::unique_ptr<Audio::CAudioFileCache> built,
                     const Audio::FileDate& sourceDate) {
        overview = std::move(built);
        overviewDate = sourceDate;
    }
    // The source changed on disk since its overview was built: the cache has noticed a new date.
    bool isOverviewStale() const { return overview && overviewDate != cache->getDate(); }

    std::atomic<bool> selected{false};
    std::atomic<bool> busy{false};
    bool created = false;
    bool editorOpen = false;
    std::atomic<int> overviewBuilding{0};

  private:
    friend struct ParameterRecord;
    void recomputeFrom(Process::TimeUnit unit, double value);
    double valueOf(Process::TimeUnit unit) const;
    std::optional<double> timeFieldValue() const;

    std::unique_ptr<Audio::CAudioFileCache> cache;
    std::unique_ptr<Audio::CAudioFileCache> overview;
    Audio::FileDate overviewDate;
    std::vector<MemberName> members;
    bool split;
    Audio::FileType fileType;
    Audio::FileDate date;

    double seconds = 0.0;
    double percent = 100.0;
    double targetBpm = -1.0;
    double sourceBpm = -1.0;
    Process::TimeUnit timeUnit = Process::Percent;
    std::string timeText;
    int semitones = 0;
    int cents = 0;
    bool doubleLength = false;
    bool preserveFormants = false;
    bool useMarkPoints = false;
    std::array<MarkPoints::CMarkPointArray, 3> markPoints;
};

template <class AskBpm>
bool CFileRow::changeTimeUnit(Process::TimeUnit unit, bool askAlways, AskBpm ask) {
    if (unit == timeUnit) return false;
    if (unit == Process::Bpm && (sourceBpm <= 0.0 || askAlways)) {
        const std::optional<double> bpm = ask(120.0);
        if (!bpm) return false;
        sourceBpm = *bpm;
    }
    if (const std::optional<double> value = timeFieldValue()) recomputeFrom(timeUnit, *value);
    timeUnit = unit;
    timeText = formatTimeValue(valueOf(unit));
    return true;
}

} // namespace App

namespace App {

// Why the row's files may not go to the external editor now (its wave editor is open, it is
// being processed, its overview is being built); null when they may.
const char* externalEditorRefusal(const CFileRow& row);

inline constexpr const char* kInvalidBpm = "please enter a valid BPM number!";
// The source-BPM dialog's number: "," read as "."; nothing unless 1 < value <= 10000.
std::optional<double> sourceBpmFrom(const std::string& text);

} // namespace App
