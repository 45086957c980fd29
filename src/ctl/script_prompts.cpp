#include "script_prompts.h"

#include <utility>

namespace fenwick::ctl {

UserPrompts::Answer ScriptPrompts::MessageBox(const QString& text, const QString& caption,
                                              Icon icon, Buttons buttons) {
    boxes_.push_back({text, caption, icon});
    if (shown_) {
        // A copy: the handler may show another box, which would move the kept ones.
        const Box shown = boxes_.back();
        shown_(shown);
    }
    switch (buttons) {
    case Buttons::Ok:
        return Answer::Ok;
    case Buttons::OkCancel:
        return Answer::Cancel;
    case Buttons::YesNo:
        return Answer::No;
    }
    return Answer::Cancel;
}

void ScriptPrompts::SetShownHandler(std::function<void(const Box&)> shown) {
    shown_ = std::move(shown);
}

QString ScriptPrompts::SaveFileName(const QString&, const QString&) {
    return {};
}

QString ScriptPrompts::OpenFileName(const QString&, const QString&) {
    return {};
}

} // namespace fenwick::ctl
