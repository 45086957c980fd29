// Reads the definition file and tells the operator when it cannot be used.
#pragma once

#include "codec/definition_file.h"
#include "core/ports/user_prompts.h"

#include <QString>

namespace fenwick {

// Reads the definition file at `path` into `values`. true when the file was accepted; false
// after one message box (caption "file error") that says what is wrong with which file, with
// `values` left as they were.
[[nodiscard]] bool LoadDefinitionFile(const QString& path, UserPrompts& prompts,
                                      ProtocolValues& values);

// The definition file's path inside the cfg folder.
QString DefinitionFilePath(const QString& configFolder);

} // namespace fenwick
