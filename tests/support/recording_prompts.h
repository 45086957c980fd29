// UserPrompts double: records every box and dialog and answers from a script (Ok, and cancel
// for file dialogs, when the script is empty).
#pragma once

#include "core/ports/user_prompts.h"
#include "support/qt_printers.h"

#include <deque>
#include <functional>
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
        if (whileOpen) {
            whileOpen(Box{text, caption, icon, buttons});
        }
        if (answers.empty()) {
            return Answer::Ok;
        }
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    QString SaveFileName(const QString& filter, const QString& proposedName) override {
        fileDialogs.push_back({QStringLiteral("save"), filter, proposedName});
        return NextFileName();
    }

    QString OpenFileName(const QString& filter, const QString& proposedName) override {
        fileDialogs.push_back({QStringLiteral("open"), filter, proposedName});
        return NextFileName();
    }

    struct FileDialog {
        QString kind;
        QString filter;
        QString proposedName;
    };

    std::vector<Box> boxes;
    std::deque<Answer> answers;
    // Runs while a box is open, as events do under a real modal box.
    std::function<void(const Box&)> whileOpen;
    std::vector<FileDialog> fileDialogs;
    std::deque<QString> fileNames; // the operator's choices; empty text or none: cancel

private:
    QString NextFileName() {
        if (fileNames.empty()) {
            return {};
        }
        const QString name = fileNames.front();
        fileNames.pop_front();
        return name;
    }
};

} // namespace fenwick::testing
