#include "editor/UnsavedChanges.h"

namespace Editor {

bool proceedWithUnsaved(bool modified, const std::function<SaveAnswer()>& ask,
                        const std::function<bool()>& save) {
    if (!modified) return true;
    switch (ask()) {
    case SaveAnswer::Yes:
        return save();
    case SaveAnswer::No:
        return true;
    case SaveAnswer::Cancel:
        break;
    }
    return false;
}

} // namespace Editor
