#pragma once
// Where the windows were when they last closed, so that they open there again: kept in
// WindowPlaces in the settings folder as "Main = 20 20 470 400" lines (x, y, width, height and
// "max" for a maximised window).
#include <map>
#include <optional>
#include <string>

namespace App {

struct WindowPlace {
    int x = 0, y = 0, width = 0, height = 0;
    bool maximized = false;

    bool operator==(const WindowPlace&) const = default;
    // Nothing for a text that is not a place, or a size no window has (under 100 or beyond
    // 30000 pixels, a corner beyond ±30000).
    static std::optional<WindowPlace> parse(const std::string& text);
    std::string text() const;
};

class WindowPlaces {
  public:
    static std::string defaultPath();
    explicit WindowPlaces(std::string filePath = defaultPath());

    // Never throws: a missing or unreadable file gives no places; a value that is no place is
    // left out.
    void load();
    // Throws std::runtime_error naming the file when it cannot be written.
    void save() const;

    std::optional<WindowPlace> get(const std::string& window) const;
    void set(const std::string& window, const WindowPlace& place) { places[window] = place; }

  private:
    std::string path;
    std::map<std::string, WindowPlace> places;
};

} // namespace App
