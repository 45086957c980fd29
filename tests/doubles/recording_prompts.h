// UserPrompts double: records every box and answers from a script (Ok when the script is empty).
#pragma once

#include "core/ports/user_prompts.h"
#include "doubles/qt_printers.h"

#include <deque>
#include <vector>

namespace fenwick::testing {

class RecordingPrompts final : public UserPrompts {
public:
    struct Box {
        QString text;
        QString caption;
        Icon icon;
        Buttons buttons;
    };

    Answer MessageBox(const QString& text, const QString& caption, Icon icon,
                      Buttons buttons) override {
        boxes.push_back({text, caption, icon, buttons});
        if (answers.empty()) {
            return Answer::Ok;
        }
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<Box> boxes;
    std::deque<Answer> answers;
};

} // namespace fenwick::testing
