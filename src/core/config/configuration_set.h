// "Configuration setting": the values the dialog opens with, and its "Set" with the checks in
// their order and the set request built from what the operator typed.
#pragma once

#include "core/config/set_request.h"

#include <QString>
#include <cstdint>

namespace fenwick {

class DeviceSelection;

// What the dialog shows and the operator edits.
struct ConfigurationInput {
    QString productName;
    QString macText;
    std::uint32_t ipAddress = 0;
    std::uint32_t subnetMask = 0;
    std::uint32_t gateway = 0;
    std::uint32_t trapIp = 0;
    QString systemName;
    QString location;
    QString password;
};

class ConfigurationSet {
public:
    ConfigurationSet(ProgramState& state, UserPrompts& prompts, DeviceSelection& selection,
                     SetRequest& request);

    // The chosen device's values, password empty. The addresses come from the record's
    // numbers, which hold what its texts show.
    ConfigurationInput Values() const;

    // "Set": checks the input and, when it passes, sends the set request.
    SetOutcome SetConfiguration(const ConfigurationInput& input);

private:
    // Fills `record` from the input; false at the first check that fails, after telling the
    // operator.
    [[nodiscard]] bool Check(const ConfigurationInput& input, DeviceRecord& record);
    bool IsDuplicate(std::uint32_t address) const;
    void ShowError(const QString& text, const QString& caption);

    ProgramState& state_;
    UserPrompts& prompts_;
    DeviceSelection& selection_;
    SetRequest& request_;
};

} // namespace fenwick
