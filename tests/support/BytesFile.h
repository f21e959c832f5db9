#pragma once
// A byte stream in memory for the mark point file tests; it can be told to accept only a
// limited number of bytes, like a full disk.
#include <cstring>
#include <limits>
#include <stdexcept>
#include <vector>

#include "audio/File.h"

class BytesFile : public Audio::CFile {
  public:
    BytesFile() = default;
    explicit BytesFile(std::vector<unsigned char> content) : bytes(std::move(content)) {}

    Audio::FileDate getDate() const override { return {}; }
    std::unique_ptr<Audio::CFile> clone() const override {
        return std::make_unique<BytesFile>(*this);
    }
    bool isOpen() const override { return true; }
    void open(Audio::u32) override { position = 0; }
    void close() override {}
    Audio::u64 getSize() const override { return bytes.size(); }
    Audio::u64 tell() const override { return position; }
    void read(void* out, Audio::u32 n, Audio::u32* got) override {
        const std::size_t left = position < bytes.size() ? bytes.size() - position : 0;
        const std::size_t count = std::min<std::size_t>(n, left);
        if (count) std::memcpy(out, bytes.data() + position, count);
        position += count;
        *got = static_cast<Audio::u32>(count);
    }
    void write(const void* in, Audio::u32 n, Audio::u32* done) override {
        const std::size_t room = capacity > position ? capacity - position : 0;
        const std::size_t count = std::min<std::size_t>(n, room);
        if (bytes.size() < position + count) bytes.resize(position + count);
        if (count) std::memcpy(bytes.data() + position, in, count);
        position += count;
        *done = static_cast<Audio::u32>(count);
    }
    void seek(Audio::i64 offset, Audio::SeekOrigin origin) override {
        const Audio::i64 base = origin == Audio::Current ? static_cast<Audio::i64>(position)
                                : origin == Audio::End   ? static_cast<Audio::i64>(bytes.size())
                                                         : 0;
        if (base + offset < 0) throw std::runtime_error("seek before start");
        position = static_cast<std::size_t>(base + offset);
    }

    void limitTo(std::size_t total) { capacity = total; }
    const std::vector<unsigned char>& data() const { return bytes; }

  private:
    std::vector<unsigned char> bytes;
    std::size_t position = 0;
    std::size_t capacity = std::numeric_limits<std::size_t>::max();
};
