#pragma once
// The command-line program under test: $SWK_CLI, or the one this build made; and sox's view
// of the files it writes.
#include <cstdlib>
#include <string>

#include "support/TestSupport.h"

inline std::string cli() {
    const char* path = std::getenv("SWK_CLI");
    return path ? path : SWK_CLI_PATH;
}

// A path as one shell word.
inline std::string quoted(const std::string& path) {
    return "'" + path + "'";
}

// The first line soxi prints with `flag` for the file at `path`.
inline std::string soxi(const std::string& flag, const std::string& path) {
    std::string out;
    TestSupport::run("soxi " + flag + " " + quoted(path), &out);
    return out.substr(0, out.find('\n'));
}
