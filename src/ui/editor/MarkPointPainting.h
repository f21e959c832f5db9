#pragma once
// The layers the mark point view paints over the waveform, each from the document's layout.
#include <QColor>
#include <QPainter>
#include <QPalette>
#include <QPoint>

#include "editor/EditorDocument.h"

namespace Ui {

// The current scale's curve in the text colour, the others faint (light grey on a light view).
QColor curveColour(const Editor::CEditorDocument& doc, std::uint32_t scaleId,
                   const QPalette& palette);

// The curve's lines and its markers (selected ones filled). Call doc.layout() first.
void paintCurve(QPainter& painter, const Editor::CEditorDocument& doc, std::uint32_t scaleId,
                const QPalette& palette);
void paintRubberBand(QPainter& painter, const Editor::CEditorDocument& doc,
                     const QPalette& palette);
void paintCursor(QPainter& painter, const Editor::CEditorDocument& doc, int height);
// The current scale's value under the mouse (or the fine-tuned one) beside the mouse.
void paintReadout(QPainter& painter, const Editor::CEditorDocument& doc, QPoint mouse,
                  const QRect& area, const QPalette& palette);

} // namespace Ui
