// Prompts for the benchmarks: every box is printed on standard error and answered OK; file
// dialogs are cancelled.
#pragma once

#include "core/ports/user_prompts.h"

#include <cstdio>

namespace fenwick::bench {

class PrintedPrompts final : public UserPrompts {
public:
    Answer MessageBox(const QString& text, const QString& caption, Icon, Buttons) override {
        std::fprintf(stderr, "[%s] %s\n", qPrintable(caption), qPrintable(text));
        return Answer::Ok;
    }
    QString SaveFileName(const QString&, const QString&) override { return {}; }
    QString OpenFileName(const QString&, const QString&) override { return {}; }
};

} // namespace fenwick::bench
