#include "cli/Interrupt.h"

#include <atomic>
#include <csignal>

namespace Cli {

namespace {
std::atomic<bool> flag{false};
extern "C" void onSignal(int) {
    flag.store(true);
}
} // namespace

void installInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr); // the terminal was closed
}

bool interrupted() {
    return flag.load();
}

} // namespace Cli
