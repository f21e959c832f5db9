#pragma once
// The wave editor's large view: the waveform with the three mark point curves over it. It
// turns mouse and key events into editor document calls and paints what the document lays
// out; every failure of a document call is shown in a message box.
#include <QPoint>
#include <QWidget>
#include <functional>

#include "editor/EditorDocument.h"

class QMenu;
class QAction;
class QPainter;

namespace Ui {

class CMarkPointEdit : public QWidget {
    Q_OBJECT

  public:
    // Paints the waveform into the view's rectangle, before the curves.
    using WavePainter = std::function<void(QPainter&, const QRect&)>;

    explicit CMarkPointEdit(Editor::CEditorDocument& document, QWidget* parent = nullptr);

    Editor::CEditorDocument& document() { return doc; }
    void setWavePainter(WavePainter painter);
    // The menu a right click opens, made of the window's actions; the view does not own it.
    void setContextMenu(QMenu* menu) { contextMenu = menu; }

    // Runs a document call (an event, or a command of the window): a failure is shown with its
    // text, and edited() / cursorMoved() follow when something changed.
    void run(const std::function<void()>& command);
    // Repaints and brings the accessible description up to date.
    void refresh();

  signals:
    // The curves or the modified flag changed.
    void edited();
    void cursorMoved(qint64 frame);

  protected:
    // Shows the menu, which triggers the entry chosen; tests answer it.
    virtual void chooseFromMenu(QMenu& menu, QPoint globalPosition);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

  private:
    void press(QMouseEvent* event, std::uint32_t extraModifiers);
    void openContextMenu(QPoint at);
    void updateDescription();

    Editor::CEditorDocument& doc;
    WavePainter wavePainter;
    QMenu* contextMenu = nullptr;
    QPoint mouse;
    bool mouseInside = false;
};

} // namespace Ui
