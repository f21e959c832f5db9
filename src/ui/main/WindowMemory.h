#pragma once
// Windows that open where they last closed: their places in the settings folder's WindowPlaces.
class QWidget;

namespace Ui {

// Moves and sizes the window as it was last remembered under `name`; keeps its own geometry when
// none is remembered or the place is on no screen now (a screen unplugged since).
void restorePlace(QWidget* window, const char* name);
// Remembers the window's place under `name`; a failure to write it only loses the place.
void rememberPlace(const QWidget* window, const char* name);

} // namespace Ui
