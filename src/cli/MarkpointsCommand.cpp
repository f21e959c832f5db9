#include <ostream>

#include "cli/Commands.h"

namespace Cli {

const char* const markpointsHelp =
    "usage: stretchwerk-cli markpoints show CURVES.mpt\n"
    "       stretchwerk-cli markpoints make OUT.mpt [--time ...] [--pitch ...] [--formant ...]\n";

int runMarkpoints(Arguments& args, Streams io) {
    if (!args.done() && (args.peek() == "--help" || args.peek() == "-h")) {
        io.out << markpointsHelp;
        return 0;
    }
    throw UsageError("markpoints: not available yet");
}

} // namespace Cli
