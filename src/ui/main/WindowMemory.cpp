#include "ui/main/WindowMemory.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "app/WindowPlaces.h"

namespace Ui {

void restorePlace(QWidget* window, const char* name) {
    App::WindowPlaces places;
    places.load();
    const std::optional<App::WindowPlace> place = places.get(name);
    if (!place) return;
    const QRect rect(place->x, place->y, place->width, place->height);
    if (!QGuiApplication::screenAt(rect.center())) return;
    window->setGeometry(rect);
    if (place->maximized) window->setWindowState(window->windowState() | Qt::WindowMaximized);
}

void rememberPlace(const QWidget* window, const char* name) {
    App::WindowPlaces places;
    places.load();
    // A maximised window keeps the place it goes back to.
    const QRect rect = window->isMaximized() ? window->normalGeometry() : window->geometry();
    places.set(name, {rect.x(), rect.y(), rect.width(), rect.height(), window->isMaximized()});
    try {
        places.save();
    } catch (const std::exception&) {
        // Only where the window opens next time is lost; not worth a message.
    }
}

} // namespace Ui
