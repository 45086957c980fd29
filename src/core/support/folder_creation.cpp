#include "folder_creation.h"

#include <QDir>
#include <QFileInfo>

namespace fenwick {

void MakeFolder(const QString& folder) {
    const QFileInfo info(folder);
    if (info.isDir()) {
        return;
    }
    // The monitor list and the event log are the operator's own: private, as the XDG base
    // directory rules ask of a folder the program makes.
    if (QDir().mkpath(info.absolutePath())) {
        QDir().mkdir(info.absoluteFilePath(),
                     QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
}

} // namespace fenwick
