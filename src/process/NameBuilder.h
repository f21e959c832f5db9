#pragma once
// Destination file names that record the processing settings: "Song P1.50 T1.50 3.wav".
#include <string>

namespace Process {

struct NameBuilder {
    bool includePitch = true;
    bool includeTime = true;
    bool includeIndex = true;
    bool partsBeforeTitle = false;
    std::string targetDirectory; // empty: beside the source
    float semitones = 0.0f;
    float cents = 0.0f;
    float timeFactor = 1.0f;
    std::string extension; // of the result, without '.'; empty: the source's own

    // The destination for a source path and an index.
    std::string compose(const std::string& sourcePath, int index) const;
};

} // namespace Process
