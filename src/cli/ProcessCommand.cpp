#include <ostream>

#include "cli/Commands.h"

namespace Cli {

const char* const processHelp = "usage: stretchwerk-cli process [OPTIONS] FILE...\n";

int runProcess(Arguments& args, Streams io) {
    if (!args.done() && (args.peek() == "--help" || args.peek() == "-h")) {
        io.out << processHelp;
        return 0;
    }
    throw UsageError("process: not available yet");
}

} // namespace Cli
