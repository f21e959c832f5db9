#pragma once
// What the windows say when the output device does not start: the ALSA or JACK device by its
// name, what failed in words of this system, and what to do about it.
#include <exception>
#include <string>

#include "app/Settings.h"

namespace App {

inline constexpr const char* kChooseAnotherOutput =
    "Choose another output in Edit \u203a Preferences.";

// `device` is the device of the settings (null when it is not listed); `failure` what the
// playback engine threw when it opened the device.
std::string outputStartFailure(const OutputDevice* device, const std::exception_ptr& failure);

} // namespace App
