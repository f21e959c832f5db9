#include "app/WindowPlaces.h"

#include <filesystem>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "app/ConfigFile.h"
#include "app/Settings.h"
#include "audio/DataFile.h"
#include "audio/ReplaceFile.h"

namespace App {

namespace {

constexpr int kLargest = 30000;
constexpr int kSmallest = 100;

} // namespace

std::optional<WindowPlace> WindowPlace::parse(const std::string& text) {
    std::istringstream in(text);
    WindowPlace p;
    std::string rest;
    if (!(in >> p.x >> p.y >> p.width >> p.height)) return std::nullopt;
    if (in >> rest) {
        if (rest != "max") return std::nullopt;
        p.maximized = true;
        if (in >> rest) return std::nullopt;
    }
    const auto within = [](int v, int low, int high) { return v >= low && v <= high; };
    if (!within(p.x, -kLargest, kLargest) || !within(p.y, -kLargest, kLargest) ||
        !within(p.width, kSmallest, kLargest) || !within(p.height, kSmallest, kLargest))
        return std::nullopt;
    return p;
}

std::string WindowPlace::text() const {
    return std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(width) + " " +
           std::to_string(height) + (maximized ? " max" : "");
}

std::string WindowPlaces::defaultPath() {
    return CSettings::configFolder() + "/WindowPlaces";
}

WindowPlaces::WindowPlaces(std::string filePath) : path(std::move(filePath)) {
}

void WindowPlaces::load() {
    places.clear();
    CConfigFile config;
    try {
        std::error_code failed;
        if (!std::filesystem::is_regular_file(path, failed)) return;
        std::unique_ptr<Audio::CDataFile> file(Audio::CDataFile::forPath(path));
        file->open(Audio::Read);
        config.read(*file);
        file->close();
    } catch (const std::exception&) {
        return;
    }
    for (const CConfigFile::Entry& e : config.getEntries())
        if (e.kind == CConfigFile::EntryKind::Value)
            if (const std::optional<WindowPlace> p = WindowPlace::parse(e.value))
                places[e.key] = *p;
}

void WindowPlaces::save() const {
    CConfigFile config;
    for (const auto& [window, place] : places)
        config.add(window, place.text());
    try {
        std::error_code ignored;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
        Audio::replaceFile(path, [&config](Audio::CFile& file) { config.write(file); });
    } catch (const std::exception& e) {
        throw std::runtime_error("Cannot write \"" + path + "\": " + e.what());
    }
}

std::optional<WindowPlace> WindowPlaces::get(const std::string& window) const {
    const auto it = places.find(window);
    if (it == places.end()) return std::nullopt;
    return it->second;
}

} // namespace App
