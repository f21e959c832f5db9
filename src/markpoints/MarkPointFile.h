#pragma once
// Loading and saving a mark point file by its path.
#include <string>

#include "markpoints/AnchorPointsLoadSave.h"

namespace MarkPoints {

// Errors name the file. A failed load returns nothing, so curves the caller holds stay as
// they were.
CAnchorPointsLoadSave loadMarkPointFile(const std::string& path);
// Replaces the file only once the new one is completely written: a failed save leaves the
// previous file untouched.
void saveMarkPointFile(const std::string& path, const CAnchorPointsLoadSave& content);

} // namespace MarkPoints
