#pragma once
// Reader and writer of mark point files (".mpt"): the three curves of a file in a chunked,
// big-endian container "APDF"/"SW2F" with one INFO chunk and one DATA chunk per curve.
#include <array>
#include <cstdint>

#include "markpoints/MarkPointArray.h"

namespace Audio {
class CFile;
}

namespace MarkPoints {

class CAnchorPointsLoadSave {
  public:
    static constexpr std::uint32_t headerBytes = 12;
    static constexpr std::uint32_t chunkHeadBytes = 128;
    static constexpr std::uint32_t pointBytes = 64;
    // Records read or written per batch.
    static constexpr std::uint32_t batchPoints = 65536;

    // Scale ids 1 (time), 2 (pitch), 3 (formant).
    CMarkPointArray& getScale(std::uint32_t scaleId);
    const CMarkPointArray& getScale(std::uint32_t scaleId) const;

    std::uint32_t getSampleRate() const { return sampleRate; }
    void setSampleRate(std::uint32_t rate) { sampleRate = rate; }
    std::uint32_t getFirstInfoWord() const { return firstInfoWord; }
    void setFirstInfoWord(std::uint32_t word) { firstInfoWord = word; }
    float getBaseBpm() const { return baseBpm; }
    void setBaseBpm(float bpm) { baseBpm = bpm; }
    std::uint32_t getFourthInfoWord() const { return fourthInfoWord; }
    void setFourthInfoWord(std::uint32_t word) { fourthInfoWord = word; }

    // Writes the whole file from the stream's current position.
    void write(Audio::CFile& file) const;
    // Reads a file from the stream's current position, adding its points to the arrays.
    // Refuses a stream that ends before its container, incomplete or inconsistent chunks, a
    // file without an INFO chunk, values that are not positive finite numbers and negative
    // frames; of several points on one frame of a curve the first one read is kept.
    void read(Audio::CFile& file);

  private:
    void writeData(Audio::CFile& file, std::uint32_t scaleId) const;
    void readInfo(Audio::CFile& file, std::uint32_t size);
    void readData(Audio::CFile& file, std::uint32_t size);

    std::array<CMarkPointArray, 3> scales;
    std::uint32_t sampleRate = 0;
    std::uint32_t firstInfoWord = 1;
    float baseBpm = 0.0f;
    std::uint32_t fourthInfoWord = 4;
};

} // namespace MarkPoints
