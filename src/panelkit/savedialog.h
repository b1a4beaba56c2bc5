// The save dialog and the "Save Failed." message that every export shares: the main window's
// log, script and KSF exports and the watch window's samples and chart.
#pragma once

#include <QByteArray>
#include <QString>

class QWidget;

namespace savedialog {

// A save dialog (cmnDlg, never the platform's own, so that tests can drive it) that opens in the
// folder last used, or else one the user can write, and remembers the folder chosen. Empty when
// cancelled.
QString askPath(QWidget *parent, const QString &title, const QString &filter, const QString &suffix,
                const QString &fileName = QString());
// The warning msgSaveFailed: "Save Failed." and the path, the reason below them.
void showFailed(QWidget *parent, const QString &caption, const QString &path, const QString &reason);
// Writes the file safely (a failed write keeps the old file whole); a failure is shown. False then.
bool save(QWidget *parent, const QString &caption, const QString &path, const QByteArray &bytes);

} // namespace savedialog
