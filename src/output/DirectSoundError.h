#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

// The result codes of the system output layer keep DirectSound's values and names, so that a
// failure reads the same whichever layer produced it.
namespace DirectSound {

using Result = std::uint32_t;

constexpr Result DS_OK = 0;
constexpr Result DSERR_UNSUPPORTED = 0x80004001;
constexpr Result DSERR_NOINTERFACE = 0x80004002;
constexpr Result DSERR_GENERIC = 0x80004005;
constexpr Result DSERR_NOAGGREGATION = 0x80040110;
constexpr Result DSERR_ACCESSDENIED = 0x80070005;
constexpr Result DSERR_OUTOFMEMORY = 0x8007000E;
constexpr Result DSERR_INVALIDPARAM = 0x80070057;
constexpr Result DSERR_ALLOCATED = 0x8878000A;
constexpr Result DSERR_CONTROLUNAVAIL = 0x8878001E;
constexpr Result DSERR_INVALIDCALL = 0x88780032;
constexpr Result DSERR_PRIOLEVELNEEDED = 0x88780046;
constexpr Result DSERR_BADFORMAT = 0x88780064;
constexpr Result DSERR_NODRIVER = 0x88780078;
constexpr Result DSERR_ALREADYINITIALIZED = 0x88780082;
constexpr Result DSERR_BUFFERLOST = 0x88780096;
constexpr Result DSERR_OTHERAPPHASPRIO = 0x887800A0;
constexpr Result DSERR_UNINITIALIZED = 0x887800AA;

// The shown name of a result; "Direct Sound: unknown error code" for any other value.
std::string resultName(Result result);

// A failure of the system output: the message, and with a result a line feed and its name.
class directsound_exception : public std::runtime_error {
  public:
    explicit directsound_exception(const std::string& message);
    directsound_exception(const std::string& message, Result result);
    Result getResult() const { return result; }

  private:
    Result result = DS_OK;
};

} // namespace DirectSound
