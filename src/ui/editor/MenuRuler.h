#pragma once
// A ruler whose right click offers the window's commands that were added to it (the time
// ruler's Time / Cycles, the time value ruler's % / BPM): the window decides what they do.
#include <QWidget>

class QMenu;

namespace Ui {

class MenuRuler : public QWidget {
    Q_OBJECT
  public:
    using QWidget::QWidget;

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Shows the menu, which triggers the entry chosen. Tests answer it themselves.
    virtual void execMenu(QMenu& menu, const QPoint& globalPosition);
};

} // namespace Ui
