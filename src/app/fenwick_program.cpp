#include "fenwick_program.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace fenwick {
namespace {

// The executable's file name as it runs, without extension.
QString ApplicationName() {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

} // namespace

FenwickProgram::FenwickProgram(const ConfigFolders& folders, UserPrompts* prompts)
    : state_(std::make_unique<ProgramState>()),
      core_(*state_,
            ManagerCore::Ports{prompts != nullptr ? *prompts : messageBoxes_, sockets_, timers_,
                               clock_, launcher_, localAddresses_,
                               prompts != nullptr ? *prompts : upgradeBoxes_},
            folders, ApplicationName()),
      window_(core_, &upgradeBoxes_) {
    messageBoxes_.SetOwner(&window_);
}

} // namespace fenwick
