#pragma once
// The files and split sets opened last, most recent first, for File > Open Recent; the same list
// keeps the batch list of the last session. They are kept in files of the settings folder
// (RecentFiles, LastList): a first line naming the format, then one entry a line, its kind and
// its paths separated by tabs, each path with '%', tab, CR and LF written as %25, %09, %0D and
// %0A.
#include <cstddef>
#include <string>
#include <vector>

namespace App {

class CFileRow;

inline constexpr const char* kRecentFilesHeader = "Stretchwerk recent files 1";

// One file, or a split set's members in channel order.
struct RecentEntry {
    std::vector<std::string> paths;
    bool split = false;

    bool operator==(const RecentEntry&) const = default;
    // The source of a row of the batch list.
    static RecentEntry of(const CFileRow& row);
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

    // The files in the settings folder.
    static std::string defaultPath();
    static std::string lastListPath();
    // At most `kept` entries.
    explicit RecentFiles(std::string filePath = defaultPath(), std::size_t kept = kKept);

    // Reads the file, never throwing: a missing or unreadable file gives an empty list, a
    // damaged one the whole entries before and after the damage (at most kKept).
    void load();
    // Writes a temporary file that then replaces the old one, making the folder first. Throws
    // std::runtime_error naming the file when it cannot be written; the old file stays as it was.
    void save() const;

    // To the top; an entry listed already moves there; beyond kKept the oldest goes.
    void add(const RecentEntry& entry);
    // The entries in this order, each once, at most the number kept.
    void assign(const std::vector<RecentEntry>& list);
    void clear() { entries.clear(); }
    const std::vector<RecentEntry>& list() const { return entries; }

    // The entries as the file holds them, and back; exposed for the file's own tests.
    std::string text() const;
    void parse(const std::string& text);

  private:
    std::string path;
    std::size_t kept;
    std::vector<RecentEntry> entries;
};

} // namespace App
