#include "process/KALODestinationFileBuilder.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "audio/AudioSplitFile.h"
#include "audio/DataFile.h"
#include "audio/FileFormats.h"

namespace Process {

using namespace Audio;

namespace {
const char* const spaceText = "CKALODestinationFileBuilder::CheckForSufficientDiskSpace() You do "
                              "not have sufficient disk space!";
const char* const unknownWriteText = "CKALODestinationFileBuilder::CheckForSufficientDiskSpace() "
                                     "Cannot write a file for some unknown reason!";
const char* const unknownSpaceText = "CKALODestinationFileBuilder::CheckFileSpace_And_"
                                     "ReopenSaveDialog() You do not have sufficient disk space!";

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}
} // namespace

std::string CKALODestinationFileBuilder::extension() const {
    const FileFormat* f = formatOf(static_cast<FileType>(fileType));
    return f ? f->writtenExtension : "wav";
}

std::uint64_t CKALODestinationFileBuilder::freeBytes(const std::string& path) {
    struct statvfs fs {};
    if (::statvfs(folderOf(path).c_str(), &fs) != 0)
        throw std::runtime_error(
            "CKALODestinationFileBuilder::CheckForSufficientDiskSpace() cannot "
            "examine the folder of " +
            path + lastErrorSuffix(errno));
    return static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
}

bool CKALODestinationFileBuilder::exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool CKALODestinationFileBuilder::claim(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    // A folder that takes no new file is reported by the space check, which offers the dialog.
    if (fd < 0) return errno != EEXIST;
    ::close(fd);
    claimed.push_back(path);
    return true;
}

bool CKALODestinationFileBuilder::takeChosen(const std::string& path) {
    if (std::find(claimed.begin(), claimed.end(), path) != claimed.end()) return true;
    return exists(path) || claim(path); // an existing file stays as it is until it is reserved
}

void CKALODestinationFileBuilder::own(const std::string& path) {
    if (std::find(claimed.begin(), claimed.end(), path) == claimed.end()) claimed.push_back(path);
}

void CKALODestinationFileBuilder::forget(const std::string& path) {
    const auto at = std::find(claimed.begin(), claimed.end(), path);
    if (at == claimed.end()) return;
    claimed.erase(at);
    ::unlink(path.c_str());
}

void CKALODestinationFileBuilder::removeClaimed() {
    for (const std::string& path : claimed)
        ::unlink(path.c_str());
    claimed.clear();
}

bool CKALODestinationFileBuilder::makeUnique(const std::string& sourcePath, std::string* out) {
    for (int n = 2; n <= 9; ++n) {
        const std::string candidate = names.compose(sourcePath, n);
        // Taken between the look and the claim: on to the next index, as for a taken name.
        if (!exists(candidate) && claim(candidate)) {
            *out = candidate;
            return true;
        }
    }
    for (;;) {
        const auto chosen = dialogs.chooseDestination(names.compose(sourcePath, 10), extension());
        if (!chosen) {
            out->clear();
            return false;
        }
        if (takeChosen(*chosen)) {
            *out = *chosen;
            return true;
        }
    }
}

void CKALODestinationFileBuilder::writeReservation(CFile& file, std::uint64_t bytes) {
    if (bytes < 4) return; // a smaller file needs no reservation (and cannot seek before its start)
    file.seek(static_cast<i64>(bytes - 4), Begin);
    u32 written = 0;
    file.write("file", 4, &written);
}

// Writes a file of the full size, so that the space is really there when the job needs it.
// Whatever fails, the file goes again.
void CKALODestinationFileBuilder::reserve(const std::string& path, std::uint64_t bytes) {
    CDataFile file(path, "", "");
    try {
        file.open(Write);
        writeReservation(file, bytes);
        file.close();
    } catch (...) {
        file.close();
        ::unlink(path.c_str());
        claimed.erase(std::remove(claimed.begin(), claimed.end(), path), claimed.end());
        try {
            throw;
        } catch (const std::exception&) {
            throw;
        } catch (...) {
            throw std::runtime_error(unknownWriteText);
        }
    }
}

void CKALODestinationFileBuilder::CheckForSufficientDiskSpace(const std::string& path,
                                                              std::uint64_t bytes) {
    if (freeBytes(path) < bytes) throw std::runtime_error(spaceText);
    reserve(path, bytes);
}

void CKALODestinationFileBuilder::CheckFileSpace_And_ReopenSaveDialog(std::size_t member,
                                                                      std::uint64_t bytes) {
    for (;;) {
        try {
            CheckForSufficientDiskSpace(destinationPaths.at(member), bytes);
            own(destinationPaths[member]); // the reservation holds nothing of what was there
            return;
        } catch (const std::exception& e) {
            dialogs.showMessage(e.what());
        } catch (...) {
            dialogs.showMessage(unknownSpaceText);
        }
        const auto chosen = dialogs.chooseDestination(destinationPaths[member], extension());
        if (!chosen)
            throw std::runtime_error(
                "CKALODestinationFileBuilder::CheckFileSpace_And_ReopenSaveDialog() "
                "process will be aborted!");
        if (*chosen == destinationPaths[member]) continue;
        if (!takeChosen(*chosen)) continue; // claimed meanwhile by another run: ask again
        forget(destinationPaths[member]);
        destinationPaths[member] = *chosen;
    }
}

std::unique_ptr<CAudioFile> CKALODestinationFileBuilder::PrepareOutputFiles() {
    const u32 members = split ? memberCount : 1;
    const FileFormat* f = formatOf(static_cast<FileType>(fileType));
    if (!f || !f->writtenBits)
        throw std::runtime_error("CKALODestinationFileBuilder::PrepareOutputFiles() cannot create "
                                 "destination CAudioFile object!");
    const u64 bytes = expectedLength * format.bytesPerFrame / members;
    std::unique_ptr<CAudioFile> writer;
    if (split) {
        auto set = std::make_unique<CAudioSplitFile<CAudioFile, 10>>(members);
        for (u32 k = 0; k < members; ++k)
            set->setMember(k, f->make(CDataFile::forPath(destinationPaths[k]), bytes));
        writer = std::move(set);
    } else {
        writer = f->make(CDataFile::forPath(destinationPaths[0]), bytes);
    }
    writer->open(Write, &format);
    return writer;
}

std::unique_ptr<CAudioFile> CKALODestinationFileBuilder::build() {
    const std::size_t members = split ? format.channels : 1;
    if (members > 10 || sourcePaths.size() < members)
        throw std::logic_error(
            "CKALODestinationFileBuilder::build() the source names too few files!");
    const std::uint64_t bytes = expectedLength * format.bytesPerFrame;
    checkResultSize(static_cast<FileType>(fileType), split ? bytes / format.channels : bytes);
    destinationPaths.assign(members, std::string());
    try {
        for (std::size_t i = 0; i < members; ++i)
            if (!makeUnique(sourcePaths[i], &destinationPaths[i])) {
                removeClaimed();
                return nullptr;
            }
        for (std::size_t i = 0; i < members; ++i)
            CheckFileSpace_And_ReopenSaveDialog(i, split ? bytes / format.channels : bytes);
        std::unique_ptr<CAudioFile> writer = PrepareOutputFiles();
        claimed.clear(); // the files are the caller's now
        return writer;
    } catch (...) {
        removeClaimed();
        throw;
    }
}

} // namespace Process
