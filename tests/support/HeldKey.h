#pragma once
// A key held down, for the window tests: the press that repeats, through the shortcut map first
// as the window system delivers it.
#include <QApplication>
#include <QKeyEvent>
#include <QtTest>

inline void heldKey(QWidget* w, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    if (qt_sendShortcutOverrideEvent(w, 0, key, modifiers, QString(), true)) return;
    QKeyEvent press(QEvent::KeyPress, key, modifiers, QString(), true);
    QApplication::sendEvent(w, &press);
}
