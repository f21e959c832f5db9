#include "audio/StagedOutputPath.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <stdexcept>
#include <sys/file.h>
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
// ".NAME.partial-" and the six characters mkstemp fills in.
bool isPartialOf(const std::string& entry, const std::string& prefix) {
    return entry.size() == prefix.size() + 6 && entry.compare(0, prefix.size(), prefix) == 0;
}

// A temporary file that nobody holds locked was left by a writer that was killed: it goes. One
// that is locked belongs to a writer at work and stays.
void removeAbandonedPartials(const std::string& directory, const std::string& prefix) {
    DIR* folder = ::opendir(directory.c_str());
    if (!folder) return; // creating the new temporary file reports why
    while (const dirent* entry = ::readdir(folder)) {
        if (!isPartialOf(entry->d_name, prefix)) continue;
        const std::string path = directory + "/" + entry->d_name;
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.c_str()); // under the lock: see the check after locking below
        ::close(fd);
    }
    ::closedir(folder);
}

// A new temporary file, locked. Another writer may have taken it for abandoned between its
// creation and the lock: then it is gone (no links left) and a new one is made. Where the file
// system has no locks the file stays unlocked, and nobody takes it for abandoned either.
int createLockedTemporary(const std::string& pattern, std::string* path) {
    for (;;) {
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        const int fd = ::mkstemp(name.data());
        if (fd < 0) return -1;
        while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
        }
        struct stat st {};
        if (::fstat(fd, &st) != 0 || st.st_nlink > 0) {
            *path = name.data();
            return fd;
        }
        ::close(fd);
    }
}
} // namespace

StagedOutputPath::StagedOutputPath(std::string destination)
    : finalPath(followLinks(std::move(destination))) {
    const std::string prefix = "." + nameOf(finalPath) + ".partial-";
    removeAbandonedPartials(directoryOf(finalPath), prefix);
    lockHandle = createLockedTemporary(directoryOf(finalPath) + "/" + prefix + "XXXXXX", &tempPath);
    if (lockHandle < 0) throw failure("cannot create a file in this folder", finalPath, errno);
    ::fchmod(lockHandle, modeFor(finalPath));
}

StagedOutputPath::~StagedOutputPath() {
    if (!committed) ::unlink(tempPath.c_str());
    ::close(lockHandle);
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
