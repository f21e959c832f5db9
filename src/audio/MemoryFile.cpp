#include "audio/MemoryFile.h"

#include <stdexcept>
#include <utility>

namespace Audio {

CMemoryFile::CMemoryFile()
    : date(currentDate()), store(std::make_shared<CPagedFileData>(0, defaultPageSize)) {
}

CMemoryFile::CMemoryFile(std::shared_ptr<CPagedFileData> store_)
    : date(currentDate()), store(std::move(store_)) {
}

std::unique_ptr<CFile> CMemoryFile::clone() const {
    return std::make_unique<CMemoryFile>(store);
}

void CMemoryFile::open(u32 mode_) {
    position = 0;
    mode = mode_;
    if (opened) throw std::runtime_error("CMemoryFile::open() close the file before you open it!");
    opened = true;
}

// The store addresses 32 bits; a position beyond that reads nothing.
void CMemoryFile::read(void* buffer, u32 bytes, u32* bytesRead) {
    u32 got = 0;
    if (position <= 0xFFFFFFFFu) store->read(buffer, static_cast<u32>(position), bytes, &got);
    position += got;
    *bytesRead = got;
}

void CMemoryFile::write(const void* buffer, u32 bytes, u32* bytesWritten) {
    date = currentDate();
    if (position > 0xFFFFFFFFu)
        throw std::runtime_error("CMemoryFile::write() a memory file cannot grow beyond 4 GiB!");
    u32 written = 0;
    store->write(buffer, static_cast<u32>(position), bytes, &written);
    position += written;
    *bytesWritten = written;
}

void CMemoryFile::seek(i64 offset, SeekOrigin origin) {
    if (origin == Begin)
        position = static_cast<u64>(offset);
    else if (origin == Current)
        position += static_cast<u64>(offset);
    else
        position = getSize() + static_cast<u64>(offset);
}

} // namespace Audio
