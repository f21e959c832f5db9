#pragma once
// The wave editor's large view: the waveform with the three mark point curves over it. It
// turns mouse and key events into editor document calls and paints what the document lays
// out; every failure of a document call is shown in a message box.
#include <QPoint>
#include <QWidget>
#include <array>
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

    // Runs a document command for the window (clipboard, undo, styles...): a failure is shown
    // with its text, and edited() / cursorMoved() follow when something changed.
    void run(const std::function<void()>& command);
    // Repaints and brings the accessible description up to date.
    void refresh();

    // The entries of the context menu, by their text.
    static const QString kCut, kCopy, kPaste, kDelete, kLineStyle, kLinear, kSquare;

  signals:
    // The curves or the modified flag changed.
    void edited();
    void cursorMoved(qint64 frame);

  protected:
    // Shows the menu and returns the chosen entry (null when none); tests answer it.
    virtual QAction* chooseFromMenu(QMenu& menu, QPoint globalPosition);

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
    struct Snapshot {
        std::array<MarkPoints::CMarkPointArray, 3> curves;
        bool modified = false;
        std::int64_t cursor = 0;
    };
    Snapshot snapshot() const;
    void press(QMouseEvent* event, std::uint32_t extraModifiers);
    void openContextMenu(QPoint at);
    void updateDescription();

    Editor::CEditorDocument& doc;
    WavePainter wavePainter;
    QPoint mouse;
    bool mouseInside = false;
};

} // namespace Ui
