#include "audio/StagedOutputPath.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <stdexcept>
#include <sys/stat.h>
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

// A symbolic link is written through: the file it names is replaced, the link stays.
std::string followLinks(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::vector<char> target(static_cast<std::size_t>(st.st_size) + 256);
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length < 0 || static_cast<std::size_t>(length) >= target.size()) return path;
        const std::string next(target.data(), static_cast<std::size_t>(length));
        if (next[0] == '/') {
            path = next;
        } else {
            std::string relative = directoryOf(path);
            relative += '/';
            relative += next;
            path = std::move(relative);
        }
    }
    throw failure("cannot follow the symbolic link", path, ELOOP);
}

// The process's umask, read without changing it (umask() would, for every thread).
mode_t currentUmask() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    return 022;
}

// Data and name must both reach the disk before the old file is gone: after a crash the
// destination is either the old file or the complete new one.
void syncFile(const std::string& path, const std::string& destination) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    const int error = errno;
    if (fd >= 0) ::close(fd);
    if (!synced) throw failure("cannot write the finished file to disk", destination, error);
}

// A failure here loses nothing (the rename is done), so it is not reported.
void syncDirectory(const std::string& directory) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// The file being replaced keeps its mode; a new file gets the usual 0666 less the umask.
mode_t modeFor(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return st.st_mode & 07777;
    return 0666 & ~currentUmask();
}
} // namespace

StagedOutputPath::StagedOutputPath(std::string destination)
    : finalPath(followLinks(std::move(destination))) {
    std::string pattern = directoryOf(finalPath) + "/." + nameOf(finalPath) + ".partial-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) throw failure("cannot create a file in this folder", finalPath, errno);
    ::fchmod(fd, modeFor(finalPath));
    ::close(fd);
    tempPath = name.data();
}

StagedOutputPath::~StagedOutputPath() {
    if (!committed) ::unlink(tempPath.c_str());
}

void StagedOutputPath::commit(bool overwrite) {
    syncFile(tempPath, finalPath);
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
    syncDirectory(directoryOf(finalPath));
}

} // namespace Audio
