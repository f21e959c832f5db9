#pragma once
#include <memory>

#include "audio/Types.h"
#include "output/AsioDriverList.h"
#include "output/OutputBackend.h"

namespace Output {

// The output for a device type of the device list (DeviceType), not yet opened; the pro output
// loads its drivers from `drivers`. Throws std::runtime_error for a type that names no output.
std::unique_ptr<COutputBackend> makeOutputBackend(Audio::i32 type, ASIO::CDriverSource& drivers);

} // namespace Output
