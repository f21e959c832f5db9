#include "app/ConfigFile.h"

#include <limits>
#include <stdexcept>

namespace App {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

std::string trimRight(const std::string& s) {
    std::size_t end = s.size();
    while (end > 0 && isBlank(s[end - 1]))
        --end;
    return s.substr(0, end);
}

std::string trimLeft(const std::string& s) {
    std::size_t begin = 0;
    while (begin < s.size() && isBlank(s[begin]))
        ++begin;
    return s.substr(begin);
}

std::string readWholeFile(Audio::CFile& file) {
    std::string text;
    char buffer[4096];
    for (;;) {
        Audio::u32 got = 0;
        file.read(buffer, sizeof buffer, &got);
        if (got == 0) return text;
        text.append(buffer, got);
        if (text.size() > kMaxConfigFileBytes)
            throw std::runtime_error(std::string(kConfigCorruptText) + " (larger than 1 MiB)");
    }
}

} // namespace

void CConfigFile::read(Audio::CFile& file) {
    const std::string text = readWholeFile(file);
    entries.clear();
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && isLineEnd(text[pos]))
            ++pos;
        if (pos == text.size()) break;
        std::size_t end = pos;
        while (end < text.size() && !isLineEnd(text[end]))
            ++end;
        parseLine(text.substr(pos, end - pos));
        pos = end;
    }
}

void CConfigFile::parseLine(const std::string& rawLine) {
    const std::string line = trimLeft(trimRight(rawLine));
    if (line.empty()) {
        addBlank();
        return;
    }
    if (line[0] == '#' || line[0] == ';' || line[0] == '/') {
        addComment(line);
        return;
    }
    const auto equals = line.find('=');
    const std::string key = equals == std::string::npos ? "" : trimRight(line.substr(0, equals));
    if (key.empty()) throw std::runtime_error(kConfigCorruptText);
    entries.push_back({EntryKind::Value, key, trimLeft(line.substr(equals + 1))});
}

void CConfigFile::write(Audio::CFile& file) const {
    std::string text;
    for (const auto& e : entries) {
        text += e.kind == EntryKind::Value ? e.key + " = " + e.value : e.key;
        text += "\r\n";
    }
    if (text.size() > std::numeric_limits<Audio::u32>::max())
        throw std::runtime_error("CConfigFile::write() too much text!");
    file.write(text.data(), static_cast<Audio::u32>(text.size()), nullptr);
}

const CConfigFile::Entry* CConfigFile::find(const std::string& key) const {
    for (const auto& e : entries)
        if (e.kind == EntryKind::Value && e.key == key) return &e;
    return nullptr;
}

bool CConfigFile::getBool(const std::string& key) const {
    const Entry* e = find(key);
    return e && e->value == "yes";
}

void CConfigFile::add(const std::string& key, const std::string& value) {
    std::string oneLine = value;
    for (char& c : oneLine)
        if (isLineEnd(c)) c = ' ';
    entries.push_back({EntryKind::Value, key, oneLine});
}

void CConfigFile::addComment(const std::string& text) {
    entries.push_back({EntryKind::Comment, text, ""});
}

void CConfigFile::addBlank() {
    entries.push_back({EntryKind::Blank, "", ""});
}

} // namespace App
