#include "audio/StagedOutputPath.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>
#include <vector>

namespace Audio {

namespace {
std::string directoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::runtime_error failure(const std::string& what, const std::string& path, int error) {
    return std::runtime_error(path + ": " + what + " (" + std::strerror(error) + ")");
}
} // namespace

StagedOutputPath::StagedOutputPath(std::string destination) : finalPath(std::move(destination)) {
    std::string pattern = directoryOf(finalPath) + "/." + nameOf(finalPath) + ".partial-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) throw failure("cannot create a file in this folder", finalPath, errno);
    ::close(fd);
    tempPath = name.data();
}

StagedOutputPath::~StagedOutputPath() {
    if (!committed) ::unlink(tempPath.c_str());
}

void StagedOutputPath::commit(bool overwrite) {
    if (overwrite) {
        if (::rename(tempPath.c_str(), finalPath.c_str()) != 0)
            throw failure("cannot move the finished file into place", finalPath, errno);
    } else if (::renameat2(AT_FDCWD, tempPath.c_str(), AT_FDCWD, finalPath.c_str(),
                           RENAME_NOREPLACE) != 0) {
        if (errno == EEXIST) throw failure("the file exists already", finalPath, EEXIST);
        if (errno != EINVAL && errno != ENOSYS)
            throw failure("cannot move the finished file into place", finalPath, errno);
        // A file system without no-replace renames: a hard link fails just as safely.
        if (::link(tempPath.c_str(), finalPath.c_str()) != 0)
            throw failure("cannot move the finished file into place", finalPath, errno);
        ::unlink(tempPath.c_str());
    }
    committed = true;
}

} // namespace Audio
