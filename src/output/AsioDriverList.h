#pragma once
#include <memory>
#include <string>
#include <vector>

#include "audio/Types.h"
#include "output/AsioDriver.h"
#include "output/DeviceId.h"

namespace ASIO {

// One installed driver as the device list shows it.
struct InstalledDriver {
    Audio::i32 number = 0;
    Output::DeviceId clsid{};
    // Where the driver is found; for JACK the server name.
    std::string path;
    std::string name;
};

// Where the pro output finds its drivers and loads one. User-interface thread only.
class CDriverSource {
  public:
    virtual ~CDriverSource() = default;
    // The drivers that can be loaded now, in a stable order.
    virtual std::vector<InstalledDriver> list() = 0;
    // A driver object for the record, not yet initialised; null when it cannot be made.
    virtual std::unique_ptr<IASIO> create(const InstalledDriver& driver) = 0;
};

// The drivers of this system: the JACK servers a client reaches without starting one.
CDriverSource& systemDrivers();

} // namespace ASIO
