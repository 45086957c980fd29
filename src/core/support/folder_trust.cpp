#include "folder_trust.h"

#include "core/support/support_texts.h"

#include <QFileInfo>
#include <unistd.h>

namespace fenwick {

QString FolderTrustProblem(const QString& folder) {
    const QFileInfo info(folder);
    if (!info.isDir()) {
        return {};
    }
    if (info.ownerId() != ::geteuid()) {
        return QString(texts::kFolderOwnedByOther).arg(folder);
    }
    if ((info.permissions() & (QFileDevice::WriteGroup | QFileDevice::WriteOther)) != 0) {
        return QString(texts::kFolderWritableByOthers).arg(folder);
    }
    return {};
}

} // namespace fenwick
