#include "editor/ReplaceFile.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

#include "audio/DataFile.h"

namespace {
std::string directoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

[[noreturn]] void fail(const char* what) {
    throw std::runtime_error(std::string(what) + Audio::lastErrorSuffix(errno));
}

// A temporary file that is removed unless it has been renamed into place.
class TemporaryFile {
  public:
    explicit TemporaryFile(const std::string& target) {
        static std::atomic<unsigned> counter{0};
        for (int attempt = 0; attempt < 100 && handle < 0; ++attempt) {
            path = target + "." + std::to_string(::getpid()) + "-" + std::to_string(counter++) +
                   ".tmp";
            handle = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (handle < 0 && errno != EEXIST) break;
        }
        if (handle < 0) fail("cannot create a temporary file beside the target!");
    }
    ~TemporaryFile() {
        if (handle >= 0) ::close(handle);
        if (!renamed) ::unlink(path.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    void keepModeOf(const std::string& original) const {
        struct stat st {};
        if (::stat(original.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            ::fchmod(handle, st.st_mode & 07777);
    }
    void sync() const {
        if (::fsync(handle) != 0) fail("cannot write the temporary file to disk!");
    }
    void renameTo(const std::string& target) {
        if (::rename(path.c_str(), target.c_str()) != 0)
            fail("cannot replace the file by the temporary file!");
        renamed = true;
    }
    const std::string& getPath() const { return path; }

  private:
    std::string path;
    int handle = -1;
    bool renamed = false;
};

// Makes the rename itself survive a crash; a failure here loses nothing, so it is ignored.
void syncDirectory(const std::string& directory) {
    const int dir = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return;
    ::fsync(dir);
    ::close(dir);
}
} // namespace

void replaceFile(const std::string& requested, const std::function<void(Audio::CFile&)>& write) {
    // Through a symbolic link the file it points to is replaced, and the link stays.
    std::string path = requested;
    std::error_code ec;
    if (std::filesystem::is_symlink(requested, ec))
        path = std::filesystem::weakly_canonical(requested, ec).string();
    if (ec) path = requested;

    TemporaryFile temporary(path);
    temporary.keepModeOf(path);
    Audio::CDataFile file(temporary.getPath(), directoryOf(path), "");
    file.open(Audio::Write);
    write(file);
    file.close();
    temporary.sync();
    temporary.renameTo(path);
    syncDirectory(directoryOf(path));
}
