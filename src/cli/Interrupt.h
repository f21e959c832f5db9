#pragma once
// Ctrl-C (SIGINT), SIGTERM and SIGHUP set a flag that long commands poll between blocks, so that
// they can finish the current file cleanly and remove what they did not finish.
namespace Cli {

void installInterruptHandler();
bool interrupted();
// Exit status of a command that was interrupted (128 + SIGINT).
constexpr int interruptedExitCode = 130;

} // namespace Cli
