#pragma once
#include "audio/WaveFile.h"

namespace Audio {

// Writes WAVE files that may pass 4 GiB, laid out as EBU Tech 3306 says: "RF64" in place of
// "RIFF", and a "ds64" chunk first whose 64-bit sizes stand for the 32-bit fields (which read
// 0xFFFFFFFF). Reading is CWaveFile's, which takes both layouts.
class CRf64File : public CWaveFile {
  public:
    enum class Layout {
        Rf64,           // RF64 from the start
        RiffUntilLarge, // a RIFF file with a "JUNK" chunk where "ds64" goes, which becomes RF64
                        // when the data pass what 32-bit sizes describe
    };
    // RIFF header, ds64 (or JUNK) chunk of 28 bytes, "fmt " chunk of 16, data chunk header.
    static constexpr u32 headerBytes = 12 + 8 + 28 + 8 + 16 + 8;

    CRf64File(std::unique_ptr<CFile> file, Layout layout);
    // Closed here, while the header writer is still this class's.
    ~CRf64File() override { closeQuietly(); }

    std::unique_ptr<CAudioFile> clone() const override;
    void writeHeader() override;

    // Whether a header for `dataBytes` of samples must be RF64.
    bool needsRf64(u64 dataBytes) const;

  private:
    Layout layout;
};

} // namespace Audio
