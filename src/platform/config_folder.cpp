#include "config_folder.h"

#include <QCoreApplication>

namespace fenwick {

QString GetConfigFolder() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/cfg");
}

} // namespace fenwick
