#pragma once
// The commands of one window, one QAction each, shared by its menu, its keys, its buttons and
// the context menus of its views. The actions belong to the window.
#include <QKeySequence>
#include <QList>
#include <QString>
#include <map>

class QAction;
class QKeyEvent;
class QMenu;
class QWidget;

namespace Ui {

// A command as a window's table lists it. `text` is the menu entry (translated in the context
// "Command", so tables mark it with QT_TRANSLATE_NOOP); `description` the status tip and, after
// a line feed, the tool tip.
struct Command {
    int id = 0;
    const char* text = "";
    QList<QKeySequence> keys = {};
    const char* description = nullptr;
    bool checkable = false;
    // A held key repeats only the commands that are meant to act again and again (zoom, undo);
    // the others act once per press.
    bool repeats = false;
};

class CommandTable {
  public:
    explicit CommandTable(QWidget* owner) : window(owner) {}
    CommandTable(const CommandTable&) = delete;
    CommandTable& operator=(const CommandTable&) = delete;

    // The command's action, objectName "cmd" + id, added to `menu` when there is one. Its keys
    // work wherever the window has the focus.
    QAction* add(const Command& command, QMenu* menu = nullptr);
    // Null for an id the table does not hold.
    QAction* find(int id) const;
    // Throws std::out_of_range for an id the table does not hold.
    QAction& at(int id) const;
    // Every action in the order the table added them.
    const QList<QAction*>& all() const { return ordered; }

    // Keypad keys: an X server delivers them with Qt::KeypadModifier, which the shortcut map
    // does not match against keys that name the keypad, so they reach the window's key handler,
    // which passes them here. True when a command took the key (a held key repeats only
    // commands that repeat).
    bool runKeypadKey(const QKeyEvent& event) const;

  private:
    QWidget* window;
    std::map<int, QAction*> actions;
    QList<QAction*> ordered;
};

// What a button of the command shows as its tip: the command's name and its first key, and the
// action's own tool tip below when it has one.
QString buttonTipOf(const QAction& action);

} // namespace Ui
