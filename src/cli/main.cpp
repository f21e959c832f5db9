#include <cerrno>
#include <cstring>
#include <iostream>
#include <unistd.h>

#include "cli/Commands.h"
#include "cli/Interrupt.h"

namespace {

const char* const mainHelp =
    "usage: stretchwerk-cli COMMAND [ARGS...]\n"
    "\n"
    "Commands:\n"
    "  info FILE...         show the properties of audio files\n"
    "  copy IN OUT          copy audio into a new WAV, AIFF or FLAC file\n"
    "  process FILE...      change the duration and pitch of files into new files\n"
    "  markpoints ...       show or make mark point curve files (.mpt)\n"
    "  play FILE            play a file or a range of it on an output device\n"
    "  devices              list the output devices\n"
    "  settings             show the settings file and its values\n"
    "\n"
    "'stretchwerk-cli COMMAND --help' tells more about a command.\n"
    "Exit status: 0 done, 1 a file failed, 2 wrong command line, 130 interrupted.\n";

int dispatch(const std::string& command, Cli::Arguments& args, Cli::Streams io) {
    if (command == "info") return Cli::runInfo(args, io);
    if (command == "copy") return Cli::runCopy(args, io);
    if (command == "process") return Cli::runProcess(args, io);
    if (command == "markpoints") return Cli::runMarkpoints(args, io);
    if (command == "play") return Cli::runPlay(args, io);
    if (command == "devices") return Cli::runDevices(args, io);
    if (command == "settings") return Cli::runSettings(args, io);
    throw Cli::UsageError("unknown command '" + command + "'");
}

// What a command printed must have arrived (a full disk, a closed pipe): else the run failed.
bool outputWritten() {
    errno = 0;
    std::cout.flush();
    if (std::cout) return true;
    const int error = errno;
    std::cerr << "stretchwerk-cli: cannot write the output"
              << (error ? std::string(": ") + std::strerror(error) : std::string()) << '\n';
    return false;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    if (words.empty() || words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
        (words.empty() ? std::cerr : std::cout) << mainHelp;
        return words.empty() ? 2 : 0;
    }
    if (words[0] == "--version") {
        std::cout << "stretchwerk-cli 0.1.0\n";
        return 0;
    }
    Cli::installInterruptHandler();
    Cli::Arguments args({words.begin() + 1, words.end()});
    try {
        const int status = dispatch(words[0], args, {std::cout, std::cerr, ::isatty(2) == 1});
        return outputWritten() ? status : 1;
    } catch (const Cli::UsageError& e) {
        std::cerr << "stretchwerk-cli: " << e.what() << "\nTry 'stretchwerk-cli --help'.\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "stretchwerk-cli: " << e.what() << '\n';
        return 1;
    }
}
