#include "output/OutputBackendFactory.h"

#include <stdexcept>

#include "output/AvailSoundDevices.h"
#include "output/ProOutput.h"
#include "output/SystemOutput.h"

namespace Output {

std::unique_ptr<COutputBackend> makeOutputBackend(Audio::i32 type, ASIO::CDriverSource& drivers) {
    switch (type) {
    case NotDefined:
        throw std::runtime_error("CIndependentAudioHost::init: not defined AudioDevice Type!");
    case DirectSoundDevice:
        return std::make_unique<CSystemOutput>();
    case AsioDevice:
        return std::make_unique<CProOutput>(drivers);
    default:
        throw std::runtime_error("CIndependentAudioHost::init: not supported AudioDevice Type!");
    }
}

} // namespace Output
