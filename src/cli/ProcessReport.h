#pragma once
// What `process --json` prints for one source: one JSON object on one line, so that a script
// (or many machines' logs gathered afterwards) can read what became of each file.
#include <cstdint>
#include <string>
#include <vector>

#include "audio/AudioFileOpener.h"
#include "engine/TimePitchEngine.h"
#include "process/RowSettings.h"

namespace Cli {

struct ProcessReport {
    enum Status { Done, Stopped, Failed } status = Failed;
    std::vector<std::string> sources;     // member 0 first
    std::vector<std::string> results;     // empty when no file was kept
    std::uint64_t frames = 0;             // of the result
    Audio::FileType format = Audio::UnknownType;
    double seconds = 0.0;                 // the time the file took
    std::string error;                    // why it failed
    const Process::RowSettings* settings = nullptr;
    Engine::Quality quality = Engine::Quality::Fast;
    std::string markpoints;               // the curves' file, when one was followed
};

// {"source": ..., "sources": [...], "status": "done", "result": ..., "results": [...],
//  "frames": ..., "format": ..., "seconds": ..., "settings": {...}} — "result" is null and
// "error" added when the file failed.
std::string processReportJson(const ProcessReport& report);

// The command line's word for a quality: "mono", "fast", "medium", "best", "studio".
const char* qualityKey(Engine::Quality quality);

} // namespace Cli
