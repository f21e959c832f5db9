#include "cli/CopyFrames.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "cli/Interrupt.h"

namespace Cli {

using namespace Audio;

bool copyFrames(CAudioFile& reader, CAudioFile& writer, ProgressLine& progress) {
    constexpr u32 blockFrames = 1024;
    const u32 channels = reader.format.channels;
    std::vector<std::vector<float>> buffers(channels, std::vector<float>(blockFrames));
    std::vector<float*> pointers(channels);
    for (u32 c = 0; c < channels; ++c)
        pointers[c] = buffers[c].data();
    const u64 frames = reader.getFrames();
    for (u64 position = 0; position < frames;) {
        if (interrupted()) return false;
        progress.update(100.0 * static_cast<double>(position) / static_cast<double>(frames));
        reader.seek(position);
        u32 got = 0;
        reader.read(pointers.data(), blockFrames, &got);
        if (got == 0)
            throw std::runtime_error("the source ends after " + std::to_string(position) +
                                     " of the " + std::to_string(frames) +
                                     " frames its header counts; it may have been cut while it "
                                     "was copied");
        u32 written = 0;
        writer.write(pointers.data(), got, &written);
        position += written;
    }
    return true;
}

} // namespace Cli
