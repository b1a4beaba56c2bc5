#include "savefile.h"

#include <QFileInfo>
#include <QSaveFile>

namespace zel {

namespace {

bool failed(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

} // namespace

bool saveFile(const QString &path, const QByteArray &bytes, QString *error)
{
    if (path.isEmpty())
        return failed(error, QStringLiteral("No file name was given"));
    const QFileInfo info(path); // follows symbolic links, as the save does
    if (info.isDir())
        return failed(error, QStringLiteral("%1: this is a folder; nothing was saved").arg(path));
    // A device, a named pipe or a socket would be replaced by a plain file (or, written to
    // directly, swallow the bytes or block): refuse it as a folder is refused.
    if (info.exists() && !info.isFile()) {
        return failed(error, QStringLiteral("%1: this is not a regular file (a device, a named pipe or a socket); "
                                            "nothing was saved")
                                 .arg(path));
    }
    // QSaveFile writes to a temporary file in the same folder and renames it over the target on
    // commit; cancelled, it removes the temporary file and leaves the target untouched.
    // Unbuffered, because a buffered QFileDevice reports a short write (a full disk, a file-size
    // limit) as success and only fails when it flushes, after which the commit would still
    // rename a truncated file.
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failed(error, QStringLiteral("%1: the file cannot be created (%2)").arg(path, file.errorString()));
    for (qint64 written = 0; written < bytes.size();) {
        const qint64 n = file.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0) {
            const QString reason = file.errorString();
            file.cancelWriting();
            return failed(error, QStringLiteral("%1: writing failed after %2 of %3 bytes (%4); the file was left as it was")
                                     .arg(path, QString::number(written), QString::number(bytes.size()), reason));
        }
        written += n;
    }
    if (!file.commit())
        return failed(error, QStringLiteral("%1: writing failed (%2); the file was left as it was").arg(path, file.errorString()));
    return true;
}

} // namespace zel
