#include "ui/editor/MenuRuler.h"

#include <QContextMenuEvent>
#include <QMenu>

namespace Ui {

void MenuRuler::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    if (actions().isEmpty()) return;
    QMenu menu(this);
    menu.addActions(actions());
    execMenu(menu, event->globalPos());
}

void MenuRuler::execMenu(QMenu& menu, const QPoint& globalPosition) {
    menu.exec(globalPosition);
}

} // namespace Ui
