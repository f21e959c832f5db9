#include "app/OutputFailure.h"

#include "app/AppTexts.h"
#include "output/AsioError.h"
#include "output/AvailSoundDevices.h"
#include "output/DirectSoundError.h"

namespace App {

namespace {

// The system output's result codes are DirectSound's; say what each means for an ALSA device.
std::string systemReason(const DirectSound::directsound_exception& e) {
    using namespace DirectSound;
    switch (e.getResult()) {
    case DSERR_NODRIVER:
        return "there is no such device, or no sound card answers (DSERR_NODRIVER)";
    case DSERR_ALLOCATED:
        return "another program is using it (DSERR_ALLOCATED)";
    case DSERR_BADFORMAT:
        return "it does not take 16-bit stereo at 44100 Hz (DSERR_BADFORMAT)";
    case DSERR_ACCESSDENIED:
        return "access to it was denied (DSERR_ACCESSDENIED)";
    default:
        return "it failed (" + resultName(e.getResult()) + ")";
    }
}

std::string jackReason(const ASIO::asio_runtime_error& e) {
    switch (e.getCode()) {
    case ASIO::ASE_NotPresent:
        return "the server is not running or cannot be reached";
    case ASIO::ASE_HWMalfunction:
        return "the server failed";
    default:
        return e.what();
    }
}

} // namespace

std::string outputStartFailure(const OutputDevice* device, const std::exception_ptr& failure) {
    const bool jack = device && device->type == Output::AsioDevice;
    const std::string name = device ? "\"" + device->name + "\"" : "of the settings";
    const std::string what = jack ? "The JACK server " + name + " could not be used: "
                                  : "The ALSA output " + name + " could not be opened: ";
    std::string reason;
    try {
        std::rethrow_exception(failure);
    } catch (const DirectSound::directsound_exception& e) {
        reason = systemReason(e);
    } catch (const ASIO::asio_runtime_error& e) {
        reason = jackReason(e);
    } catch (const std::exception& e) {
        reason = e.what();
    } catch (...) {
    }
    if (reason.empty()) return std::string(kEngineInitFailed) + "\n" + kChooseAnotherOutput;
    return what + reason + ". " + kChooseAnotherOutput;
}

} // namespace App
