#pragma once
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "audio/AudioFile.h"

namespace Audio {

// Decodes one source in blocks of float frames, keeps a few, and serves them to several
// reader threads. Notices a file that changed on disk while it was closed.
class CAudioFileCache {
  public:
    struct Block {
        u32 useCount = 0;
        u32 startFrame = 0;
        u32 frameCount = 0;
        std::vector<std::vector<float>> channels;
    };

    // A reader of the cache for as long as it lives: the file list does not drop a cache
    // while it has users.
    class User {
      public:
        explicit User(CAudioFileCache& used) : cache(used) { cache.addUser(); }
        ~User() { cache.removeUser(); }
        User(const User&) = delete;
        User& operator=(const User&) = delete;

      private:
        CAudioFileCache& cache;
    };

    std::unique_ptr<CAudioFile> file;
    const i32 maxBlocks;
    const u32 blockFrames;

    // Opens the file for reading if it is not open.
    CAudioFileCache(std::unique_ptr<CAudioFile> file, i32 maxBlocks, u32 blockFrames);
    ~CAudioFileCache();
    CAudioFileCache(const CAudioFileCache&) = delete;
    CAudioFileCache& operator=(const CAudioFileCache&) = delete;

    // The block holding `frame` with its use count raised, or null.
    Block* find(u64 frame);
    // Decodes the block holding `frame`; returned with use count 1.
    Block* load(u64 frame);
    // A block taken from find or load is handed back here.
    void unuse(Block* block);
    // Reopens a file its holder closed, and drops every block when its date moved.
    void refresh();
    // Drops every block; throws while a reader still copies from one.
    void release();

    u32 getUsers() const;
    FileDate getDate() const;
    std::size_t blockCount() const;
    // Whether the file delivered fewer frames than its header counts (it was cut while open),
    // since the blocks were last dropped; the missing frames read as silence.
    bool lostFrames() const { return framesLost.load(); }
    // The table lock also guards every use of the file; holders lock it to close the file.
    std::mutex& tableMutex() { return tableLock; }

  private:
    void addUser();
    void removeUser();
    std::unique_ptr<Block> evictUnusedLocked();
    void refreshLocked();
    void releaseLocked();

    FileDate date{1, 1, 1, 0, 0, 0, 0};
    u32 users = 0;
    std::vector<std::unique_ptr<Block>> blocks; // load order, oldest first
    std::atomic<bool> framesLost{false};
    mutable std::mutex tableLock;
    mutable std::mutex counterLock;
};

namespace tools {

// Copies frames [startFrame, startFrame + frames) of every channel of the cache's file into
// dest[c] from index destOffset; cut at the end of the file. Needs a buffer for every channel.
void read(float** dest, u32 destOffset, CAudioFileCache* cache, u32 destChannels, u64 startFrame,
          u32 frames, u32* framesRead);

} // namespace tools

} // namespace Audio
