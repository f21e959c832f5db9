// Feeds arbitrary bytes to the mark point file reader. Whatever it accepts must write back
// and read again to the same curves, and evaluate without undefined behaviour.
#include <cstddef>
#include <cstdint>
#include <stdexcept>

#include "audio/MemoryFile.h"
#include "markpoints/AnchorPointsLoadSave.h"
#include "markpoints/MarkPointHistory.h"
#include "markpoints/MarkPointMovingArray.h"
#include "markpoints/ValueScale.h"

using namespace MarkPoints;

namespace {
void evaluate(const CMarkPointArray& curve) {
    static const std::int32_t frames[] = {0, 1, 1000, 44100, 1 << 30, INT32_MAX};
    for (std::int32_t f : frames) {
        try {
            volatile double v = curve.valueAt(f);
            (void)v;
        } catch (const std::runtime_error&) {
            // An unknown line style is reported, not evaluated.
        }
    }
    for (const CMarkPoint& p : curve) {
        volatile double v = 0;
        try {
            v = curve.valueAt(p.framePosition);
        } catch (const std::runtime_error&) {
        }
        (void)v;
    }
}
// Drags every loaded point and undoes the drag: hostile curves (negative frames, values out
// of range, odd styles) must neither break the model nor be changed by the round trip.
void dragAndUndo(CAnchorPointsLoadSave& loaded, std::size_t seed) {
    CMarkPointArray& time = loaded.getScale(SCALE_TIME);
    CMarkPointArray& pitch = loaded.getScale(SCALE_PITCH);
    CMarkPointArray& formant = loaded.getScale(SCALE_FORMANT);
    for (CMarkPointArray* curve : {&time, &pitch, &formant})
        for (CMarkPoint& p : *curve)
            p.selected = 1;
    const CMarkPointArray before[3] = {time, pitch, formant};

    const CValueScale scale(4.0, 301, 120.0);
    CMarkPointMovingArray moving(time, pitch, formant, scale);
    CMarkPointHistory history(time, pitch, formant);
    moving.beginMove(true, true, true, 1 + seed % 2);
    const auto dx = static_cast<std::int32_t>(seed % 4001) - 2000;
    const auto dy = static_cast<std::int32_t>(seed % 61) - 30;
    try {
        moving.moveBy(dx, 1 << 16, dy);
    } catch (const std::runtime_error&) {
        // No free frame for a point: it stays where it was.
    }
    history.pushMove(moving);
    history.undo();
    if (!(time == before[0] && pitch == before[1] && formant == before[2])) __builtin_trap();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Audio::CMemoryFile input;
    input.open(Audio::Write);
    Audio::u32 written = 0;
    if (size > 0) input.write(data, static_cast<Audio::u32>(size), &written);
    input.seek(0, Audio::Begin);
    CAnchorPointsLoadSave loaded;
    try {
        loaded.read(input);
    } catch (const std::runtime_error&) {
        return 0;
    }
    for (std::uint32_t id = 1; id <= 3; ++id)
        evaluate(loaded.getScale(id));

    Audio::CMemoryFile copy;
    copy.open(Audio::Write);
    loaded.write(copy);
    copy.seek(0, Audio::Begin);
    CAnchorPointsLoadSave again;
    again.read(copy);
    for (std::uint32_t id = 1; id <= 3; ++id)
        if (!(again.getScale(id) == loaded.getScale(id))) __builtin_trap();
    if (again.getSampleRate() != loaded.getSampleRate()) __builtin_trap();
    std::size_t hash = 14695981039346656037u;
    for (std::size_t i = 0; i < size; ++i)
        hash = (hash ^ data[i]) * 1099511628211u;
    dragAndUndo(loaded, hash);
    return 0;
}
