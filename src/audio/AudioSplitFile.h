#pragma once
#include <array>
#include <memory>
#include <stdexcept>

#include "audio/AiffFile.h"
#include "audio/WaveFile.h"

namespace Audio {

// A set of mono files presented as one multichannel file: channel k is member k.
// T is CWaveFile or CAiffFile (never mixed); N is the capacity.
template <class T, u32 N> class CAudioSplitFile : public CAudioFile {
  public:
    u32 count = 0;

    // Member k is built around files[k].
    explicit CAudioSplitFile(std::vector<std::unique_ptr<CFile>> files)
        : CAudioFile(nullptr), count(checkedCount(static_cast<u32>(files.size()))) {
        for (u32 k = 0; k < count; ++k)
            members[k] = std::make_unique<T>(std::move(files[k]));
    }
    // Members are assigned afterwards with setMember.
    explicit CAudioSplitFile(u32 count_) : CAudioFile(nullptr), count(checkedCount(count_)) {}

    ~CAudioSplitFile() override {
        for (u32 k = 0; k < count; ++k)
            if (members[k]) try {
                    members[k]->close();
                } catch (...) {
                    // A destructor cannot report; an explicit close() does.
                }
    }

    void setMember(u32 k, std::unique_ptr<T> member) { members.at(k) = std::move(member); }
    T* member(u32 k) const { return members.at(k).get(); }

    FileDate getDate() const override {
        FileDate latest{};
        for (u32 k = 0; k < count; ++k) {
            const FileDate d = members[k]->getDate();
            if (k == 0 || isLater(d, latest)) latest = d;
        }
        return latest;
    }

    u64 getFrames() const override {
        u64 most = 0;
        for (u32 k = 0; k < count; ++k)
            most = std::max(most, members[k]->getFrames());
        return most;
    }

    bool isOpen() const override {
        for (u32 k = 0; k < count; ++k)
            if (!members[k]->isOpen()) return false;
        return true;
    }

    void open(u32 mode_, const AudioFormat* format_) override {
        position = 0;
        mode = mode_;
        if (mode == Read) openForReading();
        if (mode == Write) openForWriting(*format_);
    }

    void close() override {
        for (u32 k = 0; k < count; ++k)
            members[k]->close();
    }

    void write(float** channelBuffers, u32 frames_, u32* framesWritten) override {
        for (u32 k = 0; k < count; ++k) {
            u32 n = 0;
            members[k]->write(&channelBuffers[k], frames_, &n);
            if (n < frames_)
                throw std::runtime_error("CAudioSplitFile::write() a single or multiple files "
                                         "cannot be fully written! disk may be full!?");
        }
        position += frames_;
        *framesWritten = frames_;
    }

    void read(float** channelBuffers, u32 frames_, u32* framesRead) override {
        u32 result = 0xFFFFFFFFu;
        for (u32 k = 0; k < count; ++k) {
            if (!channelBuffers[k]) continue;
            u32 n = 0;
            members[k]->read(&channelBuffers[k], frames_, &n);
            if (n == 0)
                throw std::runtime_error("CAudioSplitFile::read() a single or multiple files "
                                         "cannot be read! 0 frames read!");
            result = std::min(result, n);
        }
        if (result == 0xFFFFFFFFu) result = 0; // no channel was asked for
        position += result;
        *framesRead = result;
    }

    void seek(u64 frame) override {
        position = frame;
        for (u32 k = 0; k < count; ++k)
            members[k]->seek(frame);
    }

    std::unique_ptr<CAudioFile> clone() const override {
        auto copy = std::make_unique<CAudioSplitFile<T, N>>(count);
        copyStateTo(*copy);
        for (u32 k = 0; k < count; ++k)
            copy->members[k].reset(static_cast<T*>(members[k]->clone().release()));
        return copy;
    }

  private:
    static u32 checkedCount(u32 n) {
        if (n < 1 || n > N) throw std::logic_error("CAudioSplitFile: invalid member count!");
        return n;
    }

    void openForReading() {
        for (u32 k = 0; k < count; ++k)
            members[k]->open(Read, nullptr);
        const AudioFormat& first = members[0]->format;
        // A member with several channels would read past the one buffer it is handed.
        for (u32 k = 0; k < count; ++k)
            if (members[k]->format.channels != 1)
                throw std::runtime_error("SplitFile::Open() every file of a split set must be a "
                                         "mono file!");
        for (u32 k = 1; k < count; ++k) {
            const AudioFormat& f = members[k]->format;
            if (f.channels != first.channels || f.sampleRate != first.sampleRate ||
                f.bitsPerSample != first.bitsPerSample)
                throw std::logic_error("SplitFile::Open() opened files are incompatible! choose "
                                       "files that are all the same file type!");
        }
        format.channels = count;
        format.sampleRate = first.sampleRate;
        format.bitsPerSample = first.bitsPerSample;
        format.bytesPerFrame = bytesPerSample(first.bitsPerSample) * count;
        format.bytesPerSecond = 0;
    }

    void openForWriting(const AudioFormat& combined) {
        format = combined;
        AudioFormat memberFormat{1, combined.sampleRate, combined.bitsPerSample,
                                 bytesPerSample(combined.bitsPerSample), 0};
        for (u32 k = 0; k < count; ++k)
            members[k]->open(Write, &memberFormat);
    }

    std::array<std::unique_ptr<T>, N> members;
};

} // namespace Audio
