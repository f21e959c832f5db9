#pragma once
// The parameters of one row as copy and paste move them between rows.
#include <array>
#include <string>

#include "markpoints/MarkPointArray.h"
#include "process/RowProcessor.h"

namespace App {

class CFileRow;

// Fields in the order the clipboard has always kept them. The flag word carries the
// preserve-formants box; the boolean whether the row's source BPM was given.
struct ParameterRecord {
    std::string semitoneText;
    std::string centText;
    std::string timeText;
    std::uint32_t flags = 0;
    Process::TimeUnit timeUnit = Process::Percent;
    bool doubleLength = false;
    bool useMarkPoints = false;
    bool sourceBpmGiven = false;
    double sourceBpm = -1.0;
    double seconds = 0.0;
    double percent = 100.0;
    double targetBpm = -1.0;
    std::array<MarkPoints::CMarkPointArray, 3> curves;

    static constexpr std::uint32_t kPreserveFormants = 1;

    static ParameterRecord of(const CFileRow& row);
    void applyTo(CFileRow& row) const;
};

} // namespace App
