#include "config_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace fenwick {

ConfigFolders ChooseConfigFolder(const ConfigFolderInputs& inputs) {
    if (!inputs.explicitFolder.isEmpty()) {
        return {QDir::cleanPath(QDir(inputs.explicitFolder).absolutePath()), inputs.siteFolder};
    }
    const QString portable = inputs.executableFolder + QStringLiteral("/cfg");
    if (QFileInfo(portable).isDir()) {
        return {portable, {}};
    }
    // The XDG base directory rules: a relative path in the variable is ignored.
    const QString base = QDir::isAbsolutePath(inputs.xdgConfigHome)
                             ? inputs.xdgConfigHome
                             : inputs.home + QStringLiteral("/.config");
    return {QDir::cleanPath(base + QStringLiteral("/fenwick")), inputs.siteFolder};
}

ConfigFolders GetConfigFolder(const QString& explicitFolder) {
    return ChooseConfigFolder({explicitFolder, QCoreApplication::applicationDirPath(),
                               qEnvironmentVariable("XDG_CONFIG_HOME"), QDir::homePath()});
}

} // namespace fenwick
