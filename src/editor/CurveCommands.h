#pragma once
// What the window's edit commands do to the curves: the selection, the clipboard, line styles
// and the history. Each one waits for the view to be idle.
#include <cstdint>

#include "editor/EditedCurves.h"
#include "editor/Interaction.h"

namespace Editor {

class CurveCommands {
  public:
    CurveCommands(EditedCurves& curves, const Interaction& interaction)
        : c(curves), pointer(interaction) {}

    // Style of the selection, or of the point under the last mouse position.
    void setLineStyle(std::uint32_t style);
    void copy();
    void cut();
    // Puts the earliest clipboard point at the cursor frame, the others at their distances to
    // it. Throws "selected_paste() nothing to paste!" when the clipboard is empty.
    void paste();
    void deleteSelected();
    void undo();
    void redo();
    // False while an interaction runs: undo and redo wait for idle.
    bool canUndo() const;
    bool canRedo() const;
    void selectAll();
    void invertSelection();
    bool hasClipboard() const;
    bool anySelected() const;

  private:
    // Removes the selected points of the shown scales, recorded as one deletion.
    void removeSelected();

    EditedCurves& c;
    const Interaction& pointer;
    Curves clipboard;
};

} // namespace Editor
