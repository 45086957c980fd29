#include "unstacked_boxes.h"

#include <algorithm>

namespace fenwick {

bool UnstackedBoxes::IsOpen(const QString& text, const QString& caption) const {
    return std::find(open_.begin(), open_.end(), std::make_pair(caption, text)) != open_.end();
}

void UnstackedBoxes::Show(const QString& text, const QString& caption, UserPrompts::Icon icon) {
    if (IsOpen(text, caption)) {
        return;
    }
    open_.emplace_back(caption, text);
    prompts_.MessageBox(text, caption, icon);
    // Boxes close innermost first, as each one's event loop ends inside the one before.
    const auto it = std::find(open_.rbegin(), open_.rend(), std::make_pair(caption, text));
    open_.erase(std::next(it).base());
}

} // namespace fenwick
