#include "app/ParameterRecord.h"

#include "app/FileRow.h"

namespace App {

ParameterRecord ParameterRecord::of(const CFileRow& row) {
    ParameterRecord r;
    r.semitoneText = std::to_string(row.semitones);
    r.centText = std::to_string(row.cents);
    r.timeText = row.timeText;
    r.flags = row.preserveFormants ? kPreserveFormants : 0;
    r.timeUnit = row.timeUnit;
    r.doubleLength = row.doubleLength;
    r.useMarkPoints = row.useMarkPoints;
    r.sourceBpmGiven = row.sourceBpm > 0.0;
    r.sourceBpm = row.sourceBpm;
    r.seconds = row.seconds;
    r.percent = row.percent;
    r.targetBpm = row.targetBpm;
    r.curves = row.markPoints;
    return r;
}

void ParameterRecord::applyTo(CFileRow& row) const {
    row.setSemitoneText(semitoneText);
    row.setCentText(centText);
    row.timeText = timeText;
    row.preserveFormants = (flags & kPreserveFormants) != 0;
    row.timeUnit = timeUnit;
    row.doubleLength = doubleLength;
    row.useMarkPoints = useMarkPoints && !doubleLength;
    row.sourceBpm = sourceBpm;
    row.seconds = seconds;
    row.percent = percent;
    row.targetBpm = targetBpm;
    row.markPoints = curves;
}

} // namespace App
