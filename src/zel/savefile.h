// Saving a file so that a failed save never damages the file it was meant to replace. Every
// file the programs write (settings, registry store, exported log, script and KSF files,
// zelscript's state dump) goes through this one routine.
#pragma once

#include <QByteArray>
#include <QString>

namespace zel {

// Replaces the file at path with bytes. The bytes go to a temporary file in the same folder,
// every write is checked (a full disk or a file-size limit shows as a short write), and only a
// complete, flushed file is renamed over path; a symbolic link is followed and its target
// replaced. A folder and anything else that is not a regular file (a device, a named pipe, a
// socket) are refused and left alone. On failure the temporary file is removed, an existing
// file at path keeps its old contents, false comes back and *error (when given) says what
// went wrong, beginning with the path.
bool saveFile(const QString &path, const QByteArray &bytes, QString *error = nullptr);

} // namespace zel
