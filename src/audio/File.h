#pragma once
#include <memory>

#include "audio/FileDate.h"
#include "audio/Types.h"

namespace Audio {

enum OpenMode : u32 { NotOpen = 0, Read = 1, Write = 2 };
enum SeekOrigin : u32 { Begin = 0, Current = 1, End = 2 };

// Abstract byte stream: a file on disk (CDataFile) or in memory (CMemoryFile).
class CFile {
  public:
    virtual FileDate getDate() const = 0;
    virtual ~CFile() = default;
    // A new, closed object of the same class on the same file; the caller owns it.
    virtual std::unique_ptr<CFile> clone() const = 0;
    virtual bool isOpen() const = 0;
    virtual void open(u32 mode) = 0;
    virtual void read(void* buffer, u32 bytes, u32* bytesRead) = 0;
    virtual void seek(i64 offset, SeekOrigin origin) = 0;
    virtual u64 getSize() const = 0;
    virtual void close() = 0;
    virtual void write(const void* buffer, u32 bytes, u32* bytesWritten);
    // The byte position the object tracks itself.
    virtual u64 tell() const = 0;
};

} // namespace Audio
