#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace Output {

// A 16-byte output device identifier: a system output's or a pro driver's. All zero names the
// system's default output.
using DeviceId = std::array<std::uint8_t, 16>;

// A stable identifier derived from a device name, never all zero.
DeviceId deviceIdForName(const std::string& name);

} // namespace Output
