#pragma once
// The command-line program under test: $SWK_CLI, or the one this build made.
#include <cstdlib>
#include <string>

inline std::string cli() {
    const char* path = std::getenv("SWK_CLI");
    return path ? path : SWK_CLI_PATH;
}

// A path as one shell word.
inline std::string quoted(const std::string& path) {
    return "'" + path + "'";
}
