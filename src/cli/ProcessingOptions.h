#pragma once
// The options that say how a sound is processed, shared by process (which writes the result)
// and play (which plays it while it is computed), so that both read them alike.
#include <iosfwd>
#include <optional>
#include <string>

#include "app/JobSettings.h"
#include "cli/Arguments.h"
#include "process/RowSettings.h"

namespace Cli {

struct ProcessingOptions {
    Process::RowSettings row;
    std::optional<Engine::Quality> quality;
    std::string markpoints;
    bool timeGiven = false;
    // Any of them was given.
    bool given = false;
};

// The help lines of the options.
extern const char* const processingOptionsHelp;

// Takes `word`, and its value, when it is one of the options; false otherwise. Throws
// UsageError for a bad value.
bool takeProcessingOption(const std::string& word, Arguments& args, ProcessingOptions& options);
// Throws UsageError for options that do not go together (a tempo without the source's).
void checkProcessingOptions(const ProcessingOptions& options);
// The quality and exact pitch of the settings unless the command line gave them.
void applySettings(ProcessingOptions& options, const App::JobSettings& settings);
// Reads the curves of --markpoints into the row and turns them on; warns on `err` about values
// beyond the engine's limits. Throws what reading the file throws.
void loadMarkpoints(ProcessingOptions& options, std::ostream& err);

} // namespace Cli
