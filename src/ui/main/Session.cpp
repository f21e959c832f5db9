#include "ui/main/Session.h"

namespace Ui {

Session::~Session() {
    runner.cancel();
    runner.waitForEnd();
    engine.setNowPlayingHook(nullptr);
    try {
        engine.release();
    } catch (...) {
        // Closing the device failed; nothing is left to tell.
    }
}

} // namespace Ui
