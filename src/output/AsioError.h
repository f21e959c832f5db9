#pragma once
#include <stdexcept>
#include <string>

#include "output/AsioDriver.h"

namespace ASIO {

// The text appended to a failure for a driver error code; empty for codes without one.
std::string errorSuffix(Error code);

// A failed driver call: the message followed by the suffix of the driver's error code.
class asio_runtime_error : public std::runtime_error {
  public:
    asio_runtime_error(const std::string& message, Error code);
    Error getCode() const { return code; }

  private:
    Error code;
};

} // namespace ASIO
