#include "cli/ProcessStatus.h"

#include <chrono>

#include "cli/Interrupt.h"
#include "process/KALO2FileProcess.h"

namespace Cli {

namespace {
std::uint64_t milliseconds() {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<std::chrono::milliseconds>(steady_clock::now().time_since_epoch()).count());
}
} // namespace

void ProcessStatus::Slot::setPercent(double percent) {
    ProcessingProgress::setPercent(percent);
    shownPercent.store(percent);
    shownRemaining.store(hasEstimate() ? getRemaining() : noEstimate);
    if (interrupted())
        if (auto* job = running.load()) job->requestAbort();
    const std::uint64_t now = milliseconds();
    if (now - lastDraw.load() < 100) return;
    lastDraw.store(now);
    owner.draw();
}

ProcessStatus::ProcessStatus(std::ostream& err, bool terminal, std::size_t files)
    : line(err, terminal, "Processing"), names(files) {
    for (std::size_t i = 0; i < files; ++i)
        slots.push_back(std::make_unique<Slot>(*this));
}

ProcessStatus::Slot& ProcessStatus::begin(std::size_t index, const std::string& name) {
    std::lock_guard guard(lock);
    names[index] = name;
    slots[index]->active.store(true);
    slots[index]->shownPercent.store(0.0);
    return *slots[index];
}

void ProcessStatus::end(std::size_t index, const std::string& text) {
    std::lock_guard guard(lock);
    slots[index]->active.store(false);
    ++finished;
    line.print(text);
}

void ProcessStatus::draw() {
    std::lock_guard guard(lock);
    double sum = 100.0 * static_cast<double>(finished);
    std::string remaining;
    std::uint64_t longest = 0;
    std::size_t running = 0, last = 0;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        const Slot& s = *slots[i];
        if (!s.active.load()) continue;
        ++running;
        last = i;
        sum += s.shownPercent.load();
        const std::uint64_t left = s.shownRemaining.load();
        if (left != Slot::noEstimate && left >= longest) {
            longest = left;
            remaining = Process::remainingText(left);
        }
    }
    if (running == 0) return;
    if (slots.size() == 1)
        line.setTitle("Processing \"" + names[last] + "\"");
    else
        line.setTitle("Processing " + std::to_string(finished + running) + " of " +
                      std::to_string(slots.size()) + " files");
    line.update(sum / static_cast<double>(slots.size()), remaining);
}

} // namespace Cli
