#include "output/DirectSoundError.h"

namespace DirectSound {

std::string resultName(Result result) {
    switch (result) {
    case DSERR_UNSUPPORTED:
        return "DSERR_UNSUPPORTED";
    case DSERR_NOINTERFACE:
        return "DSERR_NOINTERFACE ";
    case DSERR_GENERIC:
        return "DSERR_GENERIC";
    case DSERR_NOAGGREGATION:
        return "DSERR_NOAGGREGATION";
    case DSERR_ACCESSDENIED:
        return "DSERR_ACCESSDENIED";
    case DSERR_OUTOFMEMORY:
        return "DSERR_OUTOFMEMORY";
    case DSERR_INVALIDPARAM:
        return "DSERR_INVALIDPARAM";
    case DSERR_ALLOCATED:
        return "DSERR_ALLOCATED";
    case DSERR_CONTROLUNAVAIL:
        return "DSERR_CONTROLUNAVAIL";
    case DSERR_INVALIDCALL:
        return "DSERR_INVALIDCALL";
    case DSERR_PRIOLEVELNEEDED:
        return "DSERR_PRIOLEVELNEEDED";
    case DSERR_BADFORMAT:
        return "DSERR_BADFORMAT";
    case DSERR_NODRIVER:
        return "DSERR_NODRIVER";
    case DSERR_ALREADYINITIALIZED:
        return "DSERR_ALREADYINITIALIZED";
    case DSERR_BUFFERLOST:
        return "DSERR_BUFFERLOST";
    case DSERR_OTHERAPPHASPRIO:
        return "DSERR_OTHERAPPHASPRIO";
    case DSERR_UNINITIALIZED:
        return "DSERR_UNINITIALIZED";
    default:
        return "Direct Sound: unknown error code";
    }
}

directsound_exception::directsound_exception(const std::string& message)
    : std::runtime_error(message) {
}

directsound_exception::directsound_exception(const std::string& message, Result result_)
    : std::runtime_error(message + "\n" + resultName(result_)), result(result_) {
}

} // namespace DirectSound
