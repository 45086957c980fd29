// Where the program keeps the definition file, the monitor list and the event log.
#pragma once

#include "core/ports/config_folders.h"

#include <QLatin1String>
#include <QString>

namespace fenwick {

// The folder where an administrator installs define.ecf for every operator of the machine.
inline constexpr QLatin1String kSiteConfigFolder("/etc/fenwick");

// What the choice depends on, as GetConfigFolder reads it from the running process.
struct ConfigFolderInputs {
    QString explicitFolder;   // --config-dir, empty when not given
    QString executableFolder; // the folder the executable runs from
    QString xdgConfigHome;    // $XDG_CONFIG_HOME, empty when not set
    QString home;             // the user's home folder
    QString siteFolder = kSiteConfigFolder;
};

// In this order: `explicitFolder` when given; the cfg folder beside the executable when it
// exists (the portable layout, which keeps everything there, define.ecf included); otherwise
// $XDG_CONFIG_HOME/fenwick, or ~/.config/fenwick when that variable is unset, empty or not an
// absolute path. Outside the portable layout a missing define.ecf is taken from
// `siteFolder`. Paths use "/" and have no trailing separator; the folder need not exist yet.
ConfigFolders ChooseConfigFolder(const ConfigFolderInputs& inputs);

// The folders for this run, with `explicitFolder` from the command line (empty: none).
ConfigFolders GetConfigFolder(const QString& explicitFolder = {});

} // namespace fenwick
