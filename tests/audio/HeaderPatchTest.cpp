#include <gtest/gtest.h>

#include "audio/InterleavedAudioFile.h"
#include "support/AudioFiles.h"
#include "support/TestSupport.h"

using namespace Audio;
using namespace TestSupport;

// A writer keeps its header in step with the frames written while it is still open, a patch
// step at a time, so that a process killed while writing leaves a file whose header claims no
// more than it holds and at most a step less.
TEST(HeaderPatch, OpenWritersPatchTheirHeaderWhileWriting) {
    TestSupport::TempDir dir;
    for (const FileType type : {WavType, AiffType}) {
        const std::string path = dir.file(type == WavType ? "w.wav" : "w.aif");
        auto writer = createAudioFile(path, type);
        const AudioFormat format = makeFormat(2, 8000, 16);
        writer->open(Write, &format);
        dynamic_cast<CInterleavedAudioFile&>(*writer).setHeaderPatchFrames(200);
        const Channels signal = testSignal(2, 300);
        float* buffers[] = {const_cast<float*>(signal[0].data()),
                            const_cast<float*>(signal[1].data())};
        u32 written = 0;
        const auto headerFrames = [&] { return openSourceFile(path)->getFrames(); };
        writer->write(buffers, 300, &written);
        EXPECT_EQ(headerFrames(), 300u) << path;
        writer->write(buffers, 199, &written); // less than the patch step since the last patch
        EXPECT_EQ(headerFrames(), 300u) << path;
        writer->write(buffers, 1, &written);
        auto reader = openSourceFile(path);
        EXPECT_EQ(reader->getFrames(), 500u) << path;
        // The patch does not move the writing position.
        EXPECT_NEAR(readAll(*reader)[1][350], signal[1][50], 1.0 / 32768) << path;
        writer->close();
    }
}
