#include "fenwick_program.h"

namespace fenwick {

FenwickProgram::FenwickProgram(const QString& configFolder, UserPrompts* prompts)
    : state_(std::make_unique<ProgramState>()),
      core_(*state_,
            ManagerCore::Ports{prompts != nullptr ? *prompts : messageBoxes_, sockets_, timers_,
                               clock_, launcher_},
            configFolder),
      window_(core_) {
    messageBoxes_.SetOwner(&window_);
}

} // namespace fenwick
