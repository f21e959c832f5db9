#pragma once
// The commands of stretchwerk-cli. Each returns the exit status: 0 done, 1 a file failed,
// 2 a wrong command line (thrown as UsageError), 130 interrupted.
#include <iosfwd>
#include <string>

#include "cli/Arguments.h"

namespace Cli {

struct Streams {
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal = false;
};

int runInfo(Arguments& args, Streams io);
int runCopy(Arguments& args, Streams io);
int runProcess(Arguments& args, Streams io);
int runMarkpoints(Arguments& args, Streams io);
int runDevices(Arguments& args, Streams io);
int runPlay(Arguments& args, Streams io);
int runSettings(Arguments& args, Streams io);

// One line for a failed file: "stretchwerk-cli: PATH: problem", further lines indented.
std::string describeFailure(const std::string& path, const std::string& what);

extern const char* const infoHelp;
extern const char* const copyHelp;
extern const char* const processHelp;
extern const char* const markpointsHelp;
extern const char* const devicesHelp;
extern const char* const playHelp;
extern const char* const settingsHelp;

} // namespace Cli
