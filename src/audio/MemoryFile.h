#pragma once
#include <memory>

#include "audio/File.h"
#include "audio/PagedFileData.h"

namespace Audio {

// CFile in memory. Clones share the pages, so one thread can write while clones on other
// threads read what is already there. Each object itself belongs to one thread.
class CMemoryFile : public CFile {
  public:
    static constexpr u32 defaultPageSize = 65536;

    // A file with a store of its own (initial size 0, one reference).
    CMemoryFile();
    // A file on a store it shares with others.
    explicit CMemoryFile(std::shared_ptr<CPagedFileData> store);

    FileDate getDate() const override { return date; }
    std::unique_ptr<CFile> clone() const override;
    bool isOpen() const override { return opened; }
    void open(u32 mode) override;
    void read(void* buffer, u32 bytes, u32* bytesRead) override;
    void seek(i64 offset, SeekOrigin origin) override;
    u64 getSize() const override { return store->getSize(); }
    void close() override { opened = false; }
    void write(const void* buffer, u32 bytes, u32* bytesWritten) override;
    u64 tell() const override { return position; }

    CPagedFileData* getStore() const { return store.get(); }

  private:
    u32 mode = NotOpen;
    u64 position = 0;
    FileDate date;
    std::shared_ptr<CPagedFileData> store;
    bool opened = false;
};

} // namespace Audio
