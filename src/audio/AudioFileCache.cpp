#include "audio/AudioFileCache.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace Audio {

CAudioFileCache::CAudioFileCache(std::unique_ptr<CAudioFile> file_, i32 maxBlocks_,
                                 u32 blockFrames_)
    : file(std::move(file_)), maxBlocks(maxBlocks_), blockFrames(blockFrames_) {
    if (blockFrames == 0) throw std::logic_error("CAudioFileCache: block size 0!");
    if (!file->isOpen()) file->open(Read, nullptr);
    date = file->getDate();
}

CAudioFileCache::~CAudioFileCache() = default;

CAudioFileCache::Block* CAudioFileCache::find(u64 frame) {
    std::lock_guard table(tableLock);
    for (const auto& b : blocks) {
        if (b->startFrame <= frame && frame < static_cast<u64>(b->startFrame) + b->frameCount) {
            std::lock_guard counter(counterLock);
            ++b->useCount;
            return b.get();
        }
    }
    return nullptr;
}

// Oldest first among the blocks nobody copies from; with every block in use the table grows.
// The first block evicted is handed back for reuse: its buffers are already mapped, where a
// new one would fault in every page again.
std::unique_ptr<CAudioFileCache::Block> CAudioFileCache::evictUnusedLocked() {
    std::unique_ptr<Block> reusable;
    while (blocks.size() >= static_cast<std::size_t>(std::max(maxBlocks, 0))) {
        std::unique_lock counter(counterLock);
        auto it = std::find_if(blocks.begin(), blocks.end(),
                               [](const auto& b) { return b->useCount == 0; });
        counter.unlock();
        if (it == blocks.end()) break;
        if (!reusable) reusable = std::move(*it);
        blocks.erase(it);
    }
    return reusable;
}

CAudioFileCache::Block* CAudioFileCache::load(u64 frame) {
    std::lock_guard table(tableLock);
    std::unique_ptr<Block> reusable = evictUnusedLocked();
    refreshLocked();
    const u64 start = frame - frame % blockFrames;
    const u64 end = std::min<u64>(start + blockFrames, file->getFrames());
    if (frame >= end || start > 0xFFFFFFFFu)
        throw std::out_of_range("CAudioFileCache::load() frame " + std::to_string(frame) +
                                " lies beyond the end of the file!");
    std::unique_ptr<Block> block = reusable ? std::move(reusable) : std::make_unique<Block>();
    block->useCount = 1;
    block->startFrame = static_cast<u32>(start);
    block->frameCount = static_cast<u32>(end - start);
    // Zeroed, so that a file that delivers fewer frames than it claims yields silence.
    block->channels.resize(file->format.channels);
    for (std::vector<float>& channel : block->channels)
        channel.assign(block->frameCount, 0.0f);
    std::vector<float*> pointers(block->channels.size());
    for (std::size_t c = 0; c < pointers.size(); ++c)
        pointers[c] = block->channels[c].data();
    file->seek(start);
    u32 got = 0;
    file->read(pointers.data(), block->frameCount, &got);
    if (got < block->frameCount) framesLost.store(true);
    blocks.push_back(std::move(block));
    return blocks.back().get();
}

void CAudioFileCache::unuse(Block* block) {
    std::lock_guard counter(counterLock);
    --block->useCount;
}

void CAudioFileCache::refresh() {
    std::lock_guard table(tableLock);
    refreshLocked();
}

void CAudioFileCache::refreshLocked() {
    if (file->isOpen()) return;
    file->open(Read, nullptr);
    const FileDate now = file->getDate();
    if (now == date) return;
    date = now;
    releaseLocked();
}

void CAudioFileCache::release() {
    std::lock_guard table(tableLock);
    releaseLocked();
}

void CAudioFileCache::releaseLocked() {
    {
        std::lock_guard counter(counterLock);
        for (const auto& b : blocks)
            if (b->useCount != 0)
                throw std::runtime_error("CAudioFileCache::release() some items are still "
                                         "remembered yet! cannot release properly!");
    }
    blocks.clear();
    framesLost.store(false);
}

void CAudioFileCache::addUser() {
    std::lock_guard counter(counterLock);
    ++users;
}

void CAudioFileCache::removeUser() {
    std::lock_guard counter(counterLock);
    --users;
}

u32 CAudioFileCache::getUsers() const {
    std::lock_guard counter(counterLock);
    return users;
}

FileDate CAudioFileCache::getDate() const {
    std::lock_guard table(tableLock);
    return date;
}

std::size_t CAudioFileCache::blockCount() const {
    std::lock_guard table(tableLock);
    return blocks.size();
}

namespace tools {

void read(float** dest, u32 destOffset, CAudioFileCache* cache, u32 destChannels, u64 startFrame,
          u32 frames, u32* framesRead) {
    const u32 channels = cache->file->format.channels;
    if (channels > destChannels)
        throw std::overflow_error("Audio::tools::read() not enough buffers to load data into!\n");
    const u64 total = cache->file->getFrames();
    if (startFrame >= total)
        frames = 0;
    else if (startFrame + frames > total)
        frames = static_cast<u32>(total - startFrame);
    u32 copied = 0;
    u64 current = startFrame;
    while (copied < frames) {
        CAudioFileCache::Block* block = cache->find(current);
        if (!block) block = cache->load(current);
        const u64 offset = current - block->startFrame;
        const u32 n = static_cast<u32>(std::min<u64>(frames - copied, block->frameCount - offset));
        for (u32 c = 0; c < channels; ++c)
            std::memcpy(dest[c] + destOffset + copied, block->channels[c].data() + offset,
                        n * sizeof(float));
        cache->unuse(block);
        current += n;
        copied += n;
    }
    *framesRead = copied;
}

} // namespace tools

} // namespace Audio
