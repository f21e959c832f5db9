#include "cli/ProgressLine.h"

#include <algorithm>

namespace Cli {

ProgressLine::ProgressLine(std::ostream& out_, bool terminal_, std::string title_)
    : out(out_), terminal(terminal_), title(std::move(title_)) {
}

void ProgressLine::update(double percent, const std::string& remaining) {
    if (!terminal) return;
    const int tenths = static_cast<int>(std::clamp(percent, 0.0, 100.0) * 10);
    if (tenths == shown && remaining.empty()) return;
    shown = tenths;
    constexpr int width = 30;
    const int filled = tenths * width / 1000;
    out << '\r' << title << " [" << std::string(filled, '#') << std::string(width - filled, ' ')
        << "] " << tenths / 10 << '.' << tenths % 10 << '%';
    if (!remaining.empty()) out << "  remaining: " << remaining;
    out << "\x1b[K" << std::flush;
}

void ProgressLine::finish(const std::string& text) {
    if (terminal) out << '\r' << "\x1b[K";
    out << text << '\n' << std::flush;
}

} // namespace Cli

namespace Cli {

void ProgressLine::print(const std::string& text) {
    if (terminal) out << '\r' << "\x1b[K";
    out << text << '\n' << std::flush;
    shown = -1;
}

} // namespace Cli
