#pragma once
// Texts the application shows at start-up and around its preferences.

namespace App {

inline constexpr const char* kPreferencesInvalid =
    "The preferences file was invalid, non-existent or updated from an earlier version.\n Please "
    "check the settings!";
inline constexpr const char* kPreferencesWriteFailed =
    "Cannot write the preferences file because of a unknown error!";
inline constexpr const char* kEngineInitFailed =
    "cannot initialize the audio engine because of an unknown error!";
inline constexpr const char* kEngineReleaseFailed =
    "cannot release the audio engine because of an unknown error!";
inline constexpr const char* kEngineStopFailed = "error while trying to stop a audio file";

} // namespace App
