// Prompts for the benchmarks: every box is printed on standard error and answered OK; file
// dialogs are cancelled. A harness that waits for a box sets `shown` to see each one.
#pragma once

#include "core/ports/user_prompts.h"

#include <cstdio>
#include <functional>

namespace fenwick::bench {

class PrintedPrompts final : public UserPrompts {
public:
    Answer MessageBox(const QString& text, const QString& caption, Icon, Buttons) override {
        std::fprintf(stderr, "[%s] %s\n", qPrintable(caption), qPrintable(text));
        if (shown) {
            shown(text, caption);
        }
        return Answer::Ok;
    }
    QString SaveFileName(const QString&, const QString&) override { return {}; }
    QString OpenFileName(const QString&, const QString&) override { return {}; }

    std::function<void(const QString& text, const QString& caption)> shown;
};

} // namespace fenwick::bench
