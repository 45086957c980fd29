// What every test that builds the program starts from: a configuration folder with a definition
// file, and the program's core over the port doubles with a state of its own.
#pragma once

#include "codec/definition_file.h"
#include "core/app/manager_core.h"
#include "core/state/program_state.h"
#include "support/port_doubles.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <cstdint>
#include <memory>
#include <span>

namespace fenwick::testing {

// Writes `bytes` as `folder`/define.ecf, making the folder first; false when any of it fails.
[[nodiscard]] inline bool WriteDefinitionFile(const QString& folder,
                                              std::span<const std::uint8_t> bytes) {
    if (!QDir().mkpath(folder)) {
        return false;
    }
    QFile file(folder + QStringLiteral("/define.ecf"));
    const auto size = static_cast<qint64>(bytes.size());
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(reinterpret_cast<const char*>(bytes.data()), size) == size;
}

// The definition file of an agent key and base port, as fenwick-define writes it.
[[nodiscard]] inline bool WriteDefinitionFile(const QString& folder, std::uint32_t agentKey,
                                              std::uint16_t basePort) {
    return WriteDefinitionFile(folder, EncodeDefinitionFile(agentKey, basePort));
}

// The core over one double of each port. `upgradeBoxes`, when given, stand for the upgrade
// window's boxes instead of the recording ones.
class CoreRig : public PortDoubles {
public:
    ManagerCore& BuildCore(ConfigFolders folders, const QString& applicationName,
                           UserPrompts* upgradeBoxes = nullptr) {
        ManagerCore::Ports ports = Ports();
        UserPrompts& upgradeWindowBoxes =
            upgradeBoxes != nullptr ? *upgradeBoxes : ports.upgradePrompts;
        core = std::make_unique<ManagerCore>(
            *state,
            ManagerCore::Ports{ports.prompts, ports.sockets, ports.timers, ports.clock,
                               ports.launcher, ports.localAddresses, upgradeWindowBoxes},
            std::move(folders), applicationName);
        return *core;
    }

    std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
    std::unique_ptr<ManagerCore> core;
};

} // namespace fenwick::testing
