#include "app/RecentFiles.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>

#include "app/FileRow.h"
#include "app/Settings.h"
#include "audio/ChannelLayout.h"
#include "audio/File.h"
#include "audio/ReplaceFile.h"

namespace App {

namespace {

constexpr std::size_t kMaxLineBytes = std::size_t{64} * 1024; // ten paths of a few KB at most

std::string escaped(const std::string& path) {
    std::string out;
    for (char c : path) {
        if (c == '%' || c == '\t' || c == '\r' || c == '\n') {
            char code[4];
            std::snprintf(code, sizeof code, "%%%02X", static_cast<unsigned char>(c));
            out += code;
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<std::string> unescaped(const std::string& field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '%') {
            out += field[i];
            continue;
        }
        const std::string code = field.substr(i + 1, 2);
        if (code == "25")
            out += '%';
        else if (code == "09")
            out += '\t';
        else if (code == "0D")
            out += '\r';
        else if (code == "0A")
            out += '\n';
        else
            return std::nullopt;
        i += 2;
    }
    return out;
}

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        out.push_back(line.substr(start, tab - start));
    out.push_back(line.substr(start));
    return out;
}

// An entry of one line; nothing for a damaged one.
std::optional<RecentEntry> entryOf(const std::string& line) {
    const std::vector<std::string> parts = fields(line);
    if (parts.size() < 2 || line.size() > kMaxLineBytes) return std::nullopt;
    RecentEntry entry;
    entry.split = parts[0] == "split";
    if (!entry.split && parts[0] != "file") return std::nullopt;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        std::optional<std::string> path = unescaped(parts[i]);
        if (!path || path->empty() || (*path)[0] != '/') return std::nullopt;
        entry.paths.push_back(*path);
    }
    const auto members = static_cast<Audio::u32>(entry.paths.size());
    if (entry.split ? !Audio::splitLayoutOf(members) : members != 1) return std::nullopt;
    return entry;
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

RecentEntry RecentEntry::of(const CFileRow& row) {
    RecentEntry entry;
    entry.split = row.isSplit();
    for (const MemberName& m : row.getMembers())
        entry.paths.push_back(m.path);
    return entry;
}

std::string RecentEntry::menuText() const {
    if (paths.empty()) return {};
    std::string first = MemberName::of(paths[0]).name;
    if (!split) return first;
    const Audio::SplitLayout* layout = Audio::splitLayoutOf(static_cast<Audio::u32>(paths.size()));
    return std::string(layout ? layout->title : "Split") + ": " + first + ", ...";
}

std::string RecentEntry::toolTip() const {
    std::string tip;
    for (const std::string& p : paths)
        tip += (tip.empty() ? "" : "\n") + p;
    return tip;
}

bool RecentEntry::missing() const {
    return std::any_of(paths.begin(), paths.end(), [](const std::string& p) { return !exists(p); });
}

std::string RecentFiles::defaultPath() {
    return CSettings::configFolder() + "/RecentFiles";
}

std::string RecentFiles::lastListPath() {
    return CSettings::configFolder() + "/LastList";
}

RecentFiles::RecentFiles(std::string filePath, std::size_t keep)
    : path(std::move(filePath)), kept(keep) {
}

void RecentFiles::assign(const std::vector<RecentEntry>& list) {
    entries.clear();
    for (const RecentEntry& e : list)
        if (entries.size() < kept && std::find(entries.begin(), entries.end(), e) == entries.end())
            entries.push_back(e);
}

void RecentFiles::add(const RecentEntry& entry) {
    entries.erase(std::remove(entries.begin(), entries.end(), entry), entries.end());
    entries.insert(entries.begin(), entry);
    if (entries.size() > kept) entries.resize(kept);
}

std::string RecentFiles::text() const {
    std::string out = std::string(kRecentFilesHeader) + "\n";
    for (const RecentEntry& e : entries) {
        out += e.split ? "split" : "file";
        for (const std::string& p : e.paths)
            out += "\t" + escaped(p);
        out += "\n";
    }
    return out;
}

void RecentFiles::parse(const std::string& text) {
    entries.clear();
    std::istringstream in(text);
    std::string line;
    // Lines may have gained a CR on the way (a CR of a path is written as %0D).
    const auto next = [&] {
        if (!std::getline(in, line)) return false;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return true;
    };
    if (!next() || line != kRecentFilesHeader) return;
    while (entries.size() < kept && next())
        if (std::optional<RecentEntry> entry = entryOf(line))
            if (std::find(entries.begin(), entries.end(), *entry) == entries.end())
                entries.push_back(*entry);
}

void RecentFiles::load() {
    entries.clear();
    std::error_code failed;
    if (!std::filesystem::is_regular_file(path, failed)) return;
    const std::uintmax_t size = std::filesystem::file_size(path, failed);
    std::ifstream in(path, std::ios::binary);
    if (failed || !in) return;
    // A file far beyond what the entries take is read only as far as they could reach.
    const std::uintmax_t reach = std::uintmax_t{kMaxLineBytes} * std::min<std::size_t>(kept, 256);
    std::string text(static_cast<std::size_t>(std::min(size, reach)), '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    parse(text);
}

void RecentFiles::save() const {
    const std::string content = text();
    try {
        std::error_code ignored;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
        Audio::replaceFile(path, [&content](Audio::CFile& file) {
            file.write(content.data(), static_cast<Audio::u32>(content.size()), nullptr);
        });
    } catch (const std::exception& e) {
        throw std::runtime_error("Cannot write \"" + path + "\": " + e.what());
    }
}

} // namespace App
