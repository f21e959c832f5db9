#pragma once
// One run of the program: the settings, the batch list, the player and the batch runner. The
// windows are views over it and it outlives them all, so no window holds anything that goes
// before the window does.
#include "app/BatchList.h"
#include "app/Settings.h"
#include "output/AudioEngine.h"
#include "ui/main/BatchRunner.h"

namespace Ui {

class Session {
  public:
    explicit Session(App::CSettings& appSettings) : settings(appSettings), runner(list) {}
    // Stops the batch, then the player.
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    App::CSettings& settings;
    App::BatchList list;
    Output::CAudioEngine engine;
    BatchRunner runner;
};

} // namespace Ui
