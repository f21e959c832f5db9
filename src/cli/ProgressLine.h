#pragma once
#include <ostream>
#include <string>

namespace Cli {

// A progress bar with percentage on a terminal; on anything else only the final line.
class ProgressLine {
  public:
    ProgressLine(std::ostream& out, bool terminal, std::string title);
    // percent 0..100; remaining is shown behind it when not empty.
    void update(double percent, const std::string& remaining = "");
    void finish(const std::string& text);
    // Prints a whole line above the bar; the bar is drawn again by the next update.
    void print(const std::string& text);
    void setTitle(std::string text) { title = std::move(text); }

  private:
    std::ostream& out;
    bool terminal;
    std::string title;
    int shown = -1;
};

} // namespace Cli
