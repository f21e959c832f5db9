#pragma once
// Shared body of the audio parser fuzz targets: the input becomes a memory file that is opened,
// read through the block cache and read directly. Only exceptions are acceptable failures.
#include <exception>
#include <memory>
#include <vector>

#include "audio/AudioFileCache.h"
#include "audio/MemoryFile.h"

template <class AudioFileClass> int fuzzAudioParser(const uint8_t* data, size_t size) {
    using namespace Audio;
    auto bytes = std::make_unique<CMemoryFile>();
    u32 written = 0;
    bytes->open(Write);
    if (size > 0) bytes->write(data, static_cast<u32>(size), &written);
    bytes->close();
    try {
        CAudioFileCache cache(std::make_unique<AudioFileClass>(std::move(bytes)), 4, 1024);
        const u32 channels = cache.file->format.channels;
        std::vector<std::vector<float>> buffers(channels, std::vector<float>(3000));
        std::vector<float*> pointers;
        for (auto& b : buffers)
            pointers.push_back(b.data());
        u32 got = 0;
        const u64 frames = cache.file->getFrames();
        tools::read(pointers.data(), 0, &cache, channels, 0, 3000, &got);
        if (frames > 2000)
            tools::read(pointers.data(), 0, &cache, channels, frames - 2000, 3000, &got);
        // Direct reads, including one past the end and a mono read with a null buffer.
        cache.file->seek(0);
        cache.file->read(pointers.data(), 3000, &got);
        cache.file->read(pointers.data(), 3000, &got);
    } catch (const std::exception&) {
    }
    return 0;
}
