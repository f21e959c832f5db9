#pragma once
// The question before new, open and close when the curves were changed since the last load or
// save: Yes saves and goes on only when the save worked, No goes on, Cancel stops.
#include <functional>

namespace Editor {

enum class SaveAnswer { Yes, No, Cancel };

// Whether the operation may go on. `ask` is called only for a modified document; `save` only
// for Yes, returning whether the curves were saved.
bool proceedWithUnsaved(bool modified, const std::function<SaveAnswer()>& ask,
                        const std::function<bool()>& save);

} // namespace Editor
