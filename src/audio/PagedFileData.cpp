#include "audio/PagedFileData.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace Audio {

CPagedFileData::CPagedFileData(u32 initialSize, u32 pageSize_) : pageSize(pageSize_) {
    if (pageSize == 0) throw std::logic_error("CPagedFileData: page size 0!");
    appendPages(static_cast<u32>((static_cast<u64>(initialSize) + pageSize - 1) / pageSize));
    size = initialSize;
}

// Called with the structure lock held (or from the constructor).
void CPagedFileData::appendPages(u32 wanted) {
    while (table.size() < wanted) {
        // The table grows to 2n + 1 handles; the pages themselves never move.
        if (table.size() == table.capacity()) table.reserve(2 * table.capacity() + 1);
        const auto index = static_cast<u32>(table.size());
        table.push_back(std::make_unique<Page>(Page{0, index * pageSize, pageSize, nullptr}));
    }
}

CPagedFileData::Page* CPagedFileData::acquire(u32 index) {
    Page* page;
    {
        std::lock_guard structure(structureLock);
        page = table[index].get();
    }
    std::lock_guard counter(counterLock);
    ++page->useCount;
    return page;
}

void CPagedFileData::unuse(Page* page) {
    std::lock_guard counter(counterLock);
    --page->useCount;
}

void CPagedFileData::read(void* buffer, u32 offset, u32 bytes, u32* bytesRead) {
    {
        std::lock_guard structure(structureLock);
        if (offset >= size)
            bytes = 0;
        else if (static_cast<u64>(offset) + bytes > size)
            bytes = size - offset;
    }
    auto* out = static_cast<u8*>(buffer);
    u32 copied = 0;
    while (copied < bytes) {
        Page* page = acquire(offset / pageSize);
        const u32 inPage = offset - page->start;
        const u32 n = std::min(bytes - copied, pageSize - inPage);
        bool present;
        {
            std::lock_guard structure(structureLock);
            present = page->data != nullptr;
            if (present) std::memcpy(out + copied, page->data.get() + inPage, n);
        }
        unuse(page);
        if (!present)
            throw std::runtime_error("CPagedFileData::read() tryed to read non existend data! :-) "
                                     "write something in before read out!");
        offset += n;
        copied += n;
    }
    *bytesRead = copied;
}

void CPagedFileData::write(const void* buffer, u32 offset, u32 bytes, u32* bytesWritten) {
    const u64 end = static_cast<u64>(offset) + bytes;
    if (end > 0xFFFFFFFFu)
        throw std::runtime_error("CPagedFileData::write() a memory file cannot grow beyond 4 GiB!");
    {
        std::lock_guard structure(structureLock);
        if (end > size) {
            appendPages(static_cast<u32>((end + pageSize - 1) / pageSize));
            size = static_cast<u32>(end);
        }
    }
    const auto* in = static_cast<const u8*>(buffer);
    u32 copied = 0;
    while (copied < bytes) {
        Page* page = acquire(offset / pageSize);
        const u32 inPage = offset - page->start;
        const u32 n = std::min(bytes - copied, pageSize - inPage);
        {
            std::lock_guard structure(structureLock);
            if (!page->data)
                page->data = std::make_unique<u8[]>(static_cast<std::size_t>(pageSize) + 3);
            std::memcpy(page->data.get() + inPage, in + copied, n);
        }
        unuse(page);
        offset += n;
        copied += n;
    }
    *bytesWritten = copied;
}

u32 CPagedFileData::getSize() const {
    std::lock_guard structure(structureLock);
    return size;
}

u32 CPagedFileData::getPageCount() const {
    std::lock_guard structure(structureLock);
    return static_cast<u32>(table.size());
}

u32 CPagedFileData::getTableCapacity() const {
    std::lock_guard structure(structureLock);
    return static_cast<u32>(table.capacity());
}

} // namespace Audio
