#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "audio/File.h"

namespace App {

inline constexpr const char* kConfigCorruptText = "CConfigFile::read() file is corrupt!";
// A settings file is a few hundred bytes; anything much larger is not one.
inline constexpr std::size_t kMaxConfigFileBytes = 1 << 20;

// A text file of "key = value" lines, kept as an ordered list of entries. Blank and comment
// lines are entries too, so that they can be written back in place.
class CConfigFile {
  public:
    enum class EntryKind { Blank, Comment, Value };
    struct Entry {
        EntryKind kind = EntryKind::Blank;
        // A comment's key is its whole (trimmed) line.
        std::string key;
        std::string value;
    };

    // Replaces the entries by those of the whole file. Lines end at any run of CR and LF.
    // Throws std::runtime_error "CConfigFile::read() file is corrupt!" for a line that is not
    // blank, not a comment ('#', ';', '/') and has no key before an '=', and (with a reason
    // added) for a file of more than kMaxConfigFileBytes.
    void read(Audio::CFile& file);
    // Writes every entry as one CR LF line, in one write.
    void write(Audio::CFile& file) const;

    // The first value entry with exactly this key (case matters), or null.
    const Entry* find(const std::string& key) const;
    // True only when the key exists and its value is exactly "yes".
    bool getBool(const std::string& key) const;

    // Appends a "key = value" entry. A CR or LF inside the value becomes a blank, so that a
    // value can never break its line.
    void add(const std::string& key, const std::string& value);
    void addComment(const std::string& text);
    void addBlank();

    const std::vector<Entry>& getEntries() const { return entries; }

  private:
    void parseLine(const std::string& rawLine);

    std::vector<Entry> entries;
};

} // namespace App
