// The frame loop of `copy` against readers that deliver less than their header counts.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "audio/MemoryAudioFile.h"
#include "cli/CopyFrames.h"
#include "support/TestSupport.h"

namespace {

using namespace Audio;

// Claims `frames` frames of mono audio but delivers only the first `delivers` of them.
class DryReader : public CAudioFile {
  public:
    DryReader(u64 claimed, u64 delivered) : CAudioFile(nullptr), delivers(delivered) {
        format = {1, 44100, 16, 2, 88200};
        frames = claimed;
    }
    int calls = 0;
    void open(u32, const AudioFormat*) override {}
    void close() override {}
    void write(float**, u32, u32*) override {}
    void seek(u64 frame) override { position = frame; }
    void read(float** buffers, u32 count, u32* got) override {
        // A loop that asks again and again would never end: stop it here.
        if (++calls > 1000) throw std::logic_error("read again and again");
        const u64 left = position < delivers ? delivers - position : 0;
        *got = static_cast<u32>(std::min<u64>(count, left));
        std::fill(buffers[0], buffers[0] + *got, 0.25f);
        position += *got;
    }
    std::unique_ptr<CAudioFile> clone() const override { return nullptr; }

  private:
    u64 delivers;
};

} // namespace

TEST(CopyFrames, AReaderThatRunsDryStopsTheCopyWithAFailure) {
    for (const u64 delivers : {u64{0}, u64{1500}, u64{4999}}) {
        DryReader reader(5000, delivers);
        std::unique_ptr<CAudioFile> writer(createMemoryAudioFile(reader.format, false));
        writer->open(Write, &reader.format);
        std::ostringstream out;
        Cli::ProgressLine progress(out, false, "copy");
        EXPECT_EQ(TestSupport::errorText<std::runtime_error>(
                      [&] { Cli::copyFrames(reader, *writer, progress); }),
                  "the source ends after " + std::to_string(delivers) +
                      " of the 5000 frames its header counts; it may have been cut while "
                      "it was copied");
        EXPECT_EQ(writer->getFrames(), delivers);
    }
    DryReader whole(5000, 5000);
    std::unique_ptr<CAudioFile> writer(createMemoryAudioFile(whole.format, false));
    writer->open(Write, &whole.format);
    std::ostringstream out;
    Cli::ProgressLine progress(out, false, "copy");
    EXPECT_TRUE(Cli::copyFrames(whole, *writer, progress));
    EXPECT_EQ(writer->getFrames(), 5000u);
}
