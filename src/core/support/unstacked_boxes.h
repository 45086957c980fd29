// Message boxes raised by datagrams and timers. A box is modal and keeps the event loop
// running, so the next datagram or tick can raise a box of its own inside it: a device, or any
// host on the segment, repeating one error would stack boxes without end until the call stack
// runs out. A box whose caption and text are already open further up is left out; whatever
// else the event causes still happens. Distinct boxes may still nest, so the depth is bounded
// by the number of distinct texts.
#pragma once

#include "core/ports/user_prompts.h"

#include <QString>
#include <utility>
#include <vector>

namespace fenwick {

class UnstackedBoxes {
public:
    explicit UnstackedBoxes(UserPrompts& prompts) : prompts_(prompts) {}
    UnstackedBoxes(const UnstackedBoxes&) = delete;
    UnstackedBoxes& operator=(const UnstackedBoxes&) = delete;

    // Shows an OK box and returns once it is closed, unless a box with the same caption and
    // text is open already; then it returns at once.
    void Show(const QString& text, const QString& caption, UserPrompts::Icon icon);

    bool IsOpen(const QString& text, const QString& caption) const;

private:
    UserPrompts& prompts_;
    std::vector<std::pair<QString, QString>> open_; // caption, text; innermost last
};

} // namespace fenwick
