#pragma once
#include <memory>
#include <mutex>
#include <vector>

#include "audio/Types.h"

namespace Audio {

// Bytes kept in fixed-size pages, allocated on first write, shared by a writer and readers
// (the memory files that share a store hold it by std::shared_ptr). Growth never moves stored
// bytes: only the table of page handles is reallocated.
class CPagedFileData {
  public:
    struct Page {
        u32 useCount = 0;
        u32 start = 0;
        u32 length = 0;
        std::unique_ptr<u8[]> data; // pageSize + 3 bytes once written
    };

    CPagedFileData(u32 initialSize, u32 pageSize);
    CPagedFileData(const CPagedFileData&) = delete;
    CPagedFileData& operator=(const CPagedFileData&) = delete;

    void read(void* buffer, u32 offset, u32 bytes, u32* bytesRead);
    void write(const void* buffer, u32 offset, u32 bytes, u32* bytesWritten);

    u32 getSize() const;
    u32 getPageCount() const;
    u32 getPageSize() const { return pageSize; }
    u32 getTableCapacity() const;

  private:
    void appendPages(u32 wanted);
    Page* acquire(u32 index);
    void unuse(Page* page);

    std::vector<std::unique_ptr<Page>> table;
    u32 size = 0;
    const u32 pageSize;
    mutable std::mutex structureLock;
    std::mutex counterLock;
};

} // namespace Audio
