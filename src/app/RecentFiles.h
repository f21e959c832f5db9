#pragma once
// The files and split sets opened last, most recent first, for File > Open Recent. They are
// kept in RecentFiles in the settings folder: a first line naming the format, then one entry a
// line, its kind and its paths separated by tabs, each path with '%', tab, CR and LF written as
// %25, %09, %0D and %0A.
#include <cstddef>
#include <string>
#include <vector>

namespace App {

inline constexpr const char* kRecentFilesHeader = "Stretchwerk recent files 1";

// One file, or a split set's members in channel order.
struct RecentEntry {
    std::vector<std::string> paths;
    bool split = false;

    bool operator==(const RecentEntry&) const = default;
    // "take1.wav"; a split set by its layout and first member: "Surround 5.1: centre.wav, ...".
    std::string menuText() const;
    // The paths, one a line.
    std::string toolTip() const;
    // A member that no longer exists: the entry cannot be opened as it is.
    bool missing() const;
};

class RecentFiles {
  public:
    static constexpr std::size_t kKept = 10;

    // The file in the settings folder.
    static std::string defaultPath();
    explicit RecentFiles(std::string filePath = defaultPath());

    // Reads the file, never throwing: a missing or unreadable file gives an empty list, a
    // damaged one the whole entries before and after the damage (at most kKept).
    void load();
    // Writes a temporary file that then replaces the old one, making the folder first. Throws
    // std::runtime_error naming the file when it cannot be written; the old file stays as it was.
    void save() const;

    // To the top; an entry listed already moves there; beyond kKept the oldest goes.
    void add(const RecentEntry& entry);
    void clear() { entries.clear(); }
    const std::vector<RecentEntry>& list() const { return entries; }

    // The entries as the file holds them, and back; exposed for the file's own tests.
    std::string text() const;
    void parse(const std::string& text);

  private:
    std::string path;
    std::vector<RecentEntry> entries;
};

} // namespace App
