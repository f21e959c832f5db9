#include "audio/MemoryFile.h"

#include <stdexcept>

namespace Audio {

CMemoryFile::CMemoryFile() : date(currentDate()), store(new CPagedFileData(0, defaultPageSize, 1)) {
}

CMemoryFile::CMemoryFile(CPagedFileData* store_) : date(currentDate()), store(store_) {
}

CMemoryFile::~CMemoryFile() {
    if (store->releaseReference()) delete store;
}

CFile* CMemoryFile::clone() const {
    store->addReference();
    return new CMemoryFile(store);
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
