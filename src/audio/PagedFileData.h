#pragma once
#include <mutex>
#include <vector>

#include "audio/Types.h"

namespace Audio {

// Bytes kept in fixed-size pages, allocated on first write, shared by a writer and readers.
// Growth never moves stored bytes: only the table of page handles is reallocated.
class CPagedFileData {
  public:
    struct Page {
        u32 useCount = 0;
        u32 start = 0;
        u32 length = 0;
        u8* data = nullptr; // pageSize + 3 bytes once written
    };

    CPagedFileData(u32 initialSize, u32 pageSize, u32 references);
    ~CPagedFileData();
    CPagedFileData(const CPagedFileData&) = delete;
    CPagedFileData& operator=(const CPagedFileData&) = delete;

    void read(void* buffer, u32 offset, u32 bytes, u32* bytesRead);
    void write(const void* buffer, u32 offset, u32 bytes, u32* bytesWritten);

    u32 getSize() const;
    u32 getPageCount() const;
    u32 getPageSize() const { return pageSize; }
    u32 getTableCapacity() const;

    // References from CMemoryFile objects; release returns true when the last one went away.
    void addReference();
    bool releaseReference();

  private:
    void appendPages(u32 wanted);
    Page* acquire(u32 index);
    void unuse(Page* page);

    Page** table = nullptr;
    u32 capacity = 0;
    u32 pageCount = 0;
    u32 size = 0;
    const u32 pageSize;
    u32 references;
    mutable std::mutex structureLock;
    std::mutex counterLock;
};

} // namespace Audio
