// The real program (window, core, POSIX sockets) started on a configuration folder and shown,
// as the lab tests and the benchmarks that drive the whole program start it.
#pragma once

#include "app/fenwick_program.h"
#include "support/wait_until.h"

#include <QString>
#include <memory>

namespace fenwick::testing {

// The program over `folder`, its main window shown; nothing when the window did not come up.
inline std::unique_ptr<FenwickProgram> ShowProgram(const QString& folder, UserPrompts* prompts) {
    auto program = std::make_unique<FenwickProgram>(ConfigFolders{folder, {}}, prompts);
    program->Window().show();
    if (!WaitUntil([&] { return program->Window().isVisible(); }, 5000)) {
        return nullptr;
    }
    return program;
}

} // namespace fenwick::testing
