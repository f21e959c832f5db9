#include "ui/main/StartUp.h"

#include "app/AppTexts.h"
#include "ui/common/Dialogs.h"
#include "ui/main/PreferencesDialog.h"

namespace Ui {

namespace {

// The failure's text, or nothing when the save worked.
std::optional<QString> trySave(App::CSettings& settings) {
    try {
        settings.save();
        return std::nullopt;
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QString::fromLatin1(App::kPreferencesWriteFailed);
    }
}

} // namespace

bool saveSettings(QWidget* parent, App::CSettings& settings) {
    const std::optional<QString> problem = trySave(settings);
    if (problem) Dialogs::current().message(parent, *problem, kAppTitle);
    return !problem;
}

void saveSettingsOrAsk(QWidget* parent, App::CSettings& settings) {
    while (const std::optional<QString> problem = trySave(settings)) {
        Dialogs::current().message(parent, *problem, kAppTitle);
        if (!runPreferences(parent, settings)) return;
    }
}

void loadSettingsAtStartUp(QWidget* parent, App::CSettings& settings) {
    QString problem;
    try {
        settings.load();
        return;
    } catch (const std::exception& e) {
        problem = QString::fromUtf8(e.what());
    } catch (...) {
        problem = QString::fromLatin1(App::kPreferencesInvalid);
    }
    trySave(settings); // the next start finds a valid file
    Dialogs::current().message(parent, problem, kAppTitle);
    if (runPreferences(parent, settings)) saveSettingsOrAsk(parent, settings);
}

} // namespace Ui
