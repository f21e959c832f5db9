#pragma once
// ALSA reads ~/.asoundrc; a home of our own gives it a PCM "swktest" that writes what it plays,
// as raw 16-bit frames, to a file (over ALSA's "null" device) and lists it among the device
// hints as "Stretchwerk test capture (swktest)", and a listed PCM "swkmissing" that cannot be
// opened. A test program registers it once:
//   const auto* const home = ::testing::AddGlobalTestEnvironment(new AlsaTestHome);
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "support/TestSupport.h"

class AlsaTestHome : public ::testing::Environment {
  public:
    static inline const char* const kCaptureDevice = "Stretchwerk test capture (swktest)";

    void SetUp() override {
        home = std::make_unique<TestSupport::TempDir>();
        capture = home->file("played.raw");
        const std::string rc = "pcm.swktest {\n type file\n slave.pcm \"null\"\n file \"" +
                               capture +
                               "\"\n format \"raw\"\n"
                               " hint { show on\n description \"Stretchwerk test capture\" }\n}\n"
                               "pcm.swkmissing {\n type hw\n card 31\n"
                               " hint { show on\n description \"Missing card\" }\n}\n";
        TestSupport::writeBytes(home->file(".asoundrc"), {rc.begin(), rc.end()});
        setenv("HOME", home->path().c_str(), 1);
    }
    void TearDown() override { home.reset(); }
    static inline std::unique_ptr<TestSupport::TempDir> home;
    // What the capture device played since it was last opened.
    static inline std::string capture;
};
