#include "output/AsioError.h"

namespace ASIO {

std::string errorSuffix(Error code) {
    switch (code) {
    case ASE_NotPresent:
        return "\nhardware input or output is not present or available";
    case ASE_HWMalfunction:
        return "\nhardware is malfunctioning";
    case ASE_InvalidParameter:
        return "\ninput parameter invalid";
    case ASE_InvalidMode:
        return "\nhardware is in a bad mode or used in a bad mode";
    case ASE_SPNotAdvancing:
        return "\nhardware is not running when sample position is inquired";
    case ASE_NoClock:
        return "\nsample clock or rate cannot be determined or is not present";
    case ASE_NoMemory:
        return "\nnot enough memory for completing the request";
    default:
        return "";
    }
}

asio_runtime_error::asio_runtime_error(const std::string& message, Error code_)
    : std::runtime_error(message + errorSuffix(code_)), code(code_) {
}

} // namespace ASIO
