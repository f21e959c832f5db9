#include "process/OutputStage.h"

#include <algorithm>

namespace Process {

void COutputStage::reserve(int channels, std::uint32_t frames) {
    buffers.assign(static_cast<std::size_t>(channels), std::vector<float>(frames));
    pointers.resize(buffers.size());
    for (std::size_t c = 0; c < buffers.size(); ++c)
        pointers[c] = buffers[c].data();
    capacity = frames;
    held = 0;
}

void COutputStage::add(Audio::CAudioFile& destination, const float* const* from,
                       std::uint32_t frames) {
    if (held + frames > capacity) flush(destination);
    if (frames > capacity) {
        Audio::u32 written = 0;
        destination.write(const_cast<float**>(from), frames, &written); // write() only reads
        return;
    }
    for (std::size_t c = 0; c < buffers.size(); ++c)
        std::copy(from[c], from[c] + frames, buffers[c].data() + held);
    held += frames;
}

void COutputStage::flush(Audio::CAudioFile& destination) {
    if (held == 0) return;
    // Dropped before writing: a write that throws must not be repeated by a later flush.
    const std::uint32_t frames = held;
    held = 0;
    Audio::u32 written = 0;
    destination.write(pointers.data(), frames, &written);
}

} // namespace Process
