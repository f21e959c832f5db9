#include "process/SourceWatch.h"

#include <sys/stat.h>

namespace Process {

bool SourceWatch::Stamp::operator==(const Stamp& other) const {
    return present == other.present && device == other.device && inode == other.inode &&
           size == other.size && modified.tv_sec == other.modified.tv_sec &&
           modified.tv_nsec == other.modified.tv_nsec;
}

SourceWatch::Stamp SourceWatch::stampOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    return {true, st.st_dev, st.st_ino, st.st_size, st.st_mtim};
}

SourceWatch::SourceWatch(std::vector<std::string> paths) : files(std::move(paths)) {
    for (const std::string& path : files)
        stamps.push_back(stampOf(path));
}

std::string SourceWatch::changedFile() const {
    for (std::size_t i = 0; i < files.size(); ++i)
        if (!(stampOf(files[i]) == stamps[i])) return files[i];
    return {};
}

} // namespace Process
