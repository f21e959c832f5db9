#pragma once
// Notices a source that another program changes while it is processed: a file overwritten in
// place with the same length still reads as a source, but its sound is no longer the one the
// job began with. Each file's identity, size and modification time at the start are compared
// with those at the end.
#include <ctime>
#include <string>
#include <sys/types.h>
#include <vector>

namespace Process {

class SourceWatch {
  public:
    explicit SourceWatch(std::vector<std::string> paths);
    // The first file that is not as it was when the watch began (also one that is gone), or
    // an empty text when none changed.
    std::string changedFile() const;

  private:
    struct Stamp {
        bool present = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified{};
        bool operator==(const Stamp& other) const;
    };
    static Stamp stampOf(const std::string& path);

    std::vector<std::string> files;
    std::vector<Stamp> stamps;
};

} // namespace Process
