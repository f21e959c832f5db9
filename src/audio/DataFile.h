#pragma once
#include <string>

#include "audio/File.h"

namespace Audio {

// CFile on an operating-system file handle, with 64-bit positions.
class CDataFile : public CFile {
  public:
    CDataFile(std::string fullPath, std::string directory, std::string fileName);
    // Splits fullPath at its last '/' into directory and file name.
    static std::unique_ptr<CDataFile> forPath(const std::string& fullPath);

    FileDate getDate() const override;
    ~CDataFile() override;
    std::unique_ptr<CFile> clone() const override;
    bool isOpen() const override { return handle >= 0; }
    void open(u32 mode) override;
    void read(void* buffer, u32 bytes, u32* bytesRead) override;
    void seek(i64 offset, SeekOrigin origin) override;
    u64 getSize() const override;
    void close() override;
    void write(const void* buffer, u32 bytes, u32* bytesWritten) override;
    u64 tell() const override { return position; }

    const std::string& getFullPath() const { return fullPath; }
    const std::string& getDirectory() const { return directory; }
    const std::string& getFileName() const { return fileName; }

  private:
    // Closes the handle and throws unless it is a regular file or a block device.
    void refuseWhatIsNoFile();

    u32 mode = NotOpen;
    u64 position = 0;
    std::string fullPath;
    std::string directory;
    std::string fileName;
    int handle = -1;
};

// Text appended to an error of a failed system call: "\nLastError: ", errno and the system's
// reason in brackets ("\nLastError: 13 (Permission denied)"); nothing when errno is 0.
std::string lastErrorSuffix(int error);

} // namespace Audio
