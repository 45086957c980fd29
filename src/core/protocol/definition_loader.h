// Reads the definition file and tells the operator when it cannot be used.
#pragma once

#include "codec/definition_file.h"
#include "core/ports/config_folders.h"
#include "core/ports/user_prompts.h"

#include <QString>
#include <QStringList>

namespace fenwick {

// Reads the definition file at `path` into `values`. true when the file was accepted; false
// after one message box (caption "file error") that says what is wrong with which file, with
// `values` left as they were.
[[nodiscard]] bool LoadDefinitionFile(const QString& path, UserPrompts& prompts,
                                      ProtocolValues& values);

// The definition file's path inside a configuration folder.
QString DefinitionFilePath(const QString& configFolder);

struct DefinitionLocation {
    // The file to read.
    QString path;
    // Where it was looked for, in order: named to the operator when it cannot be used.
    QStringList foldersLookedIn;
};

// define.ecf of the configuration folder; where that folder holds none, the site-wide one when
// there is such a folder and it holds the file (read only, never written by the program).
// When neither exists, the configuration folder's own file, whose absence the loader tells.
DefinitionLocation FindDefinitionFile(const ConfigFolders& folders);

} // namespace fenwick
