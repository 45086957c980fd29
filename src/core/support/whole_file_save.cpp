#include "whole_file_save.h"

#include "core/support/support_texts.h"

#include <QSaveFile>
#include <sys/stat.h>

namespace fenwick {

bool SaveWholeFile(const QString& path, QByteArrayView bytes, UserPrompts& prompts,
                   QLatin1String unwritableText) {
    // A temporary file beside the target, renamed over it only once it is complete: a failed
    // save leaves the previous file as it was. Where the folder takes no new file but the file
    // itself is writable (an installed copy whose administrator opened only the file), the
    // file is written in place instead, still checked to the last byte. Unbuffered, because a
    // buffered flush that writes only part of the bytes (disk full, size limit) can pass
    // unnoticed and commit a cut file.
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    // A new file is the operator's own from its first byte (an existing one keeps its mode).
    // Everything runs on the one thread, so the narrower umask affects no other file.
    const mode_t umask = ::umask(077);
    bool written = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    ::umask(umask);
    qint64 done = 0;
    const qint64 total = bytes.size();
    while (written && done < total) {
        // A short write is retried, so that the next attempt fails and tells why.
        const qint64 got = file.write(bytes.data() + done, total - done);
        written = got > 0;
        done += written ? got : 0;
    }
    if (!written || !file.commit()) {
        prompts.MessageBox(QString(unwritableText).arg(path, file.errorString()),
                           texts::kCaptionError, UserPrompts::Icon::Error);
        return false;
    }
    return true;
}

} // namespace fenwick
