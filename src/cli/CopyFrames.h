#pragma once
// The frame loop of `copy`: from a reader into a writer, block by block.
#include "audio/AudioFile.h"
#include "cli/ProgressLine.h"

namespace Cli {

// Copies every frame the reader's header counts; false when interrupted. Throws when the
// reader runs dry before that count (the file was cut after it was opened).
bool copyFrames(Audio::CAudioFile& reader, Audio::CAudioFile& writer, ProgressLine& progress);

} // namespace Cli
