#include "ui/common/CommandTable.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QWidget>
#include <stdexcept>

namespace Ui {

QAction* CommandTable::add(const Command& c, QMenu* menu) {
    auto* a = new QAction(QCoreApplication::translate("Command", c.text), window);
    a->setObjectName(QStringLiteral("cmd%1").arg(c.id));
    a->setShortcuts(c.keys);
    a->setShortcutContext(Qt::WindowShortcut);
    a->setAutoRepeat(c.repeats);
    a->setCheckable(c.checkable);
    if (c.description) {
        const QString description = QCoreApplication::translate("Command", c.description);
        const auto newline = description.indexOf(QLatin1Char('\n'));
        if (newline != 0) a->setStatusTip(description.left(newline));
        if (newline >= 0) a->setToolTip(description.mid(newline + 1).trimmed());
    }
    if (menu) menu->addAction(a);
    window->addAction(a);
    actions[c.id] = a;
    ordered << a;
    return a;
}

QAction* CommandTable::find(int id) const {
    const auto it = actions.find(id);
    return it == actions.end() ? nullptr : it->second;
}

QAction& CommandTable::at(int id) const {
    QAction* a = find(id);
    if (!a) throw std::out_of_range("no command " + std::to_string(id));
    return *a;
}

bool CommandTable::runKeypadKey(const QKeyEvent& event) const {
    if (!(event.modifiers() & Qt::KeypadModifier)) return false;
    const QKeySequence pressed(QKeyCombination(event.modifiers(), Qt::Key(event.key())));
    for (const auto& [id, a] : actions) {
        if (!a->isEnabled() || !a->shortcuts().contains(pressed)) continue;
        if (!event.isAutoRepeat() || a->autoRepeat()) a->trigger();
        return true;
    }
    return false;
}

QString buttonTipOf(const QAction& action) {
    QString tip = QString(action.text()).remove(QLatin1Char('&'));
    if (!action.shortcut().isEmpty())
        tip += QStringLiteral(" (%1)").arg(action.shortcut().toString(QKeySequence::NativeText));
    // QAction::toolTip() gives the text itself when no tip of its own was set.
    const QString own = action.toolTip();
    if (own != QString(action.text()).remove(QLatin1Char('&'))) tip += QLatin1Char('\n') + own;
    return tip;
}

} // namespace Ui
