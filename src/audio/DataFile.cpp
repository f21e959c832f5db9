#include "audio/DataFile.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace Audio {

std::string lastErrorSuffix(int error) {
    if (error == 0) return {};
    char text[256];
    const char* reason = ::strerror_r(error, text, sizeof text); // the GNU variant
    return "\nLastError: " + std::to_string(error) + " (" + reason + ")";
}

CDataFile::CDataFile(std::string fullPath_, std::string directory_, std::string fileName_)
    : fullPath(std::move(fullPath_)), directory(std::move(directory_)),
      fileName(std::move(fileName_)) {
}

std::unique_ptr<CDataFile> CDataFile::forPath(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return std::make_unique<CDataFile>(path, "", "");
    return std::make_unique<CDataFile>(path, path.substr(0, slash), path.substr(slash + 1));
}

CDataFile::~CDataFile() {
    close();
}

std::unique_ptr<CFile> CDataFile::clone() const {
    return std::make_unique<CDataFile>(fullPath, directory, fileName);
}

FileDate CDataFile::getDate() const {
    struct stat st {};
    if (::stat(fullPath.c_str(), &st) != 0) return FileDate{};
    return dateFromUtc(st.st_mtim.tv_sec, static_cast<u32>(st.st_mtim.tv_nsec / 1000000));
}

void CDataFile::open(u32 mode_) {
    position = 0;
    mode = mode_;
    if (fullPath.empty())
        throw std::runtime_error(
            "CDataFile::open() cannot open file. the FileName or Path is invalid!");
    if (isOpen()) throw std::runtime_error("CDataFile::open() close the file before you open it!");
    if (mode == Read) {
        // Without O_NONBLOCK a FIFO would block the open until some writer comes along.
        handle = ::open(fullPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (handle < 0) {
            // The guess names the one reason it fits; the system's own reason follows.
            const int error = errno;
            throw std::runtime_error(std::string("CDataFile::open() cannot open the file!") +
                                     (error == ENOENT ? " it may not exist?" : "") +
                                     "\n FILE:" + fullPath + lastErrorSuffix(error));
        }
        refuseWhatIsNoFile();
    } else if (mode == Write) {
        handle = ::open(fullPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (handle < 0) {
            const int error = errno;
            const bool inUse = error == ETXTBSY || error == EBUSY;
            throw std::runtime_error(std::string("CDataFile::open() cannot open the file!") +
                                     (inUse ? " it may be opened by another application?" : "") +
                                     "\n FILE:" + fullPath + lastErrorSuffix(error));
        }
    }
}

namespace {
// What a file of this type is, for the message that refuses it; null when it can be read.
const char* unreadableKind(mode_t type) {
    if (S_ISREG(type) || S_ISBLK(type)) return nullptr;
    if (S_ISFIFO(type)) return "a FIFO (named pipe)";
    if (S_ISDIR(type)) return "a folder";
    if (S_ISCHR(type)) return "a character device";
    if (S_ISSOCK(type)) return "a socket";
    return "something else";
}
} // namespace

// A pipe or a device never ends, or ends after one read: only files (and block devices, which
// hold a fixed number of bytes) can be read as audio, curves or settings.
void CDataFile::refuseWhatIsNoFile() {
    const auto fail = [this](const std::string& text) {
        close();
        throw std::runtime_error(text);
    };
    struct stat st {};
    if (::fstat(handle, &st) != 0)
        fail("CDataFile::open() cannot open the file!\n FILE:" + fullPath + lastErrorSuffix(errno));
    if (const char* kind = unreadableKind(st.st_mode))
        fail(std::string("CDataFile::open() cannot read this file! it is ") + kind +
             ", not a regular file.\n FILE:" + fullPath);
    // Reads of what is left wait for their data as usual.
    if (::fcntl(handle, F_SETFL, 0) != 0)
        fail("CDataFile::open() cannot open the file!\n FILE:" + fullPath + lastErrorSuffix(errno));
}

void CDataFile::read(void* buffer, u32 bytes, u32* bytesRead) {
    auto* out = static_cast<char*>(buffer);
    u32 done = 0;
    while (done < bytes) {
        const ssize_t n = ::read(handle, out + done, bytes - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw std::runtime_error("CDataFile::read() cannot read from file!" +
                                     lastErrorSuffix(errno));
        }
        if (n == 0) break;
        done += static_cast<u32>(n);
    }
    position += done;
    if (bytesRead) *bytesRead = done;
}

void CDataFile::write(const void* buffer, u32 bytes, u32* bytesWritten) {
    const auto* in = static_cast<const char*>(buffer);
    u32 done = 0;
    while (done < bytes) {
        const ssize_t n = ::write(handle, in + done, bytes - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            position += done;
            throw std::runtime_error("CDataFile::write() cannot write to file!" +
                                     lastErrorSuffix(errno));
        }
        done += static_cast<u32>(n);
    }
    position += done;
    if (bytesWritten) *bytesWritten = done;
}

void CDataFile::seek(i64 offset, SeekOrigin origin) {
    i64 base = 0;
    if (origin == Current) base = static_cast<i64>(position);
    if (origin == End) base = static_cast<i64>(getSize());
    const i64 target = base + offset;
    if (target < 0 || ::lseek(handle, static_cast<off_t>(target), SEEK_SET) < 0)
        throw std::runtime_error("CDataFile::seek() FAILED!" + lastErrorSuffix(errno));
    position = static_cast<u64>(target);
}

u64 CDataFile::getSize() const {
    struct stat st {};
    if (handle < 0 || ::fstat(handle, &st) != 0) return 0;
    return static_cast<u64>(st.st_size);
}

void CDataFile::close() {
    if (handle >= 0) ::close(handle);
    handle = -1;
}

} // namespace Audio
