#pragma once
#include <string>

namespace Audio {

// A file is written under a temporary name beside its destination and renamed into place only
// when it is complete, so a failed or interrupted write never leaves a half-written file and
// never damages a file that was there before. Without commit the temporary file is removed.
// A destination that is a symbolic link is written through: the file it names is replaced and
// the link stays. A replaced file keeps its mode; a new one gets 0666 less the umask.
// The temporary file is locked while it is in use, so that the temporary files of writers that
// were killed can be told apart from those of writers still at work: each new one for a
// destination removes the killed writers' files of that destination.
class StagedOutputPath {
  public:
    explicit StagedOutputPath(std::string destination);
    ~StagedOutputPath();
    StagedOutputPath(const StagedOutputPath&) = delete;
    StagedOutputPath& operator=(const StagedOutputPath&) = delete;

    const std::string& temporary() const { return tempPath; }
    const std::string& destination() const { return finalPath; }

    // Moves the finished file into place. Without overwrite an existing destination (also one
    // that appeared meanwhile) is left alone and the commit fails.
    void commit(bool overwrite);

  private:
    std::string finalPath;
    std::string tempPath;
    int lockHandle = -1; // holds the lock on the temporary file
    bool committed = false;
};

} // namespace Audio
