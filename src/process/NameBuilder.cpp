#include "process/NameBuilder.h"

#include <cstdio>

namespace Process {

namespace {
std::string format(const char* pattern, double a, double b = 0.0) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, pattern, a, b);
    return buffer;
}
} // namespace

std::string NameBuilder::compose(const std::string& source, int index) const {
    const bool before = partsBeforeTitle;
    std::string parts;
    if (includePitch) parts += format(before ? "P%.0f.%.0f " : " P%.0f.%.0f", semitones, cents);
    if (includeTime) parts += format(before ? "T%.2f " : " T%.2f", timeFactor);
    if (includeIndex) {
        const std::string number = std::to_string(index);
        if (!before) parts += ' ';
        parts += number;
        if (before) parts += ' ';
    }

    const auto slash = source.rfind('/');
    std::string dir = !targetDirectory.empty()     ? targetDirectory
                      : slash == std::string::npos ? std::string()
                                                   : source.substr(0, slash);
    if (!dir.empty() && dir.back() != '/') dir += '/';
    const std::string name = slash == std::string::npos ? source : source.substr(slash + 1);
    const auto dot = name.rfind('.');
    const std::string title = dot == std::string::npos ? name : name.substr(0, dot);
    const std::string ext = !extension.empty()         ? extension
                            : dot == std::string::npos ? std::string()
                                                       : name.substr(dot + 1);
    return before ? dir + parts + title + "." + ext : dir + title + parts + "." + ext;
}

} // namespace Process
