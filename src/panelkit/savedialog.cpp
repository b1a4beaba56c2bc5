#include "savedialog.h"

#include "AppState.h"
#include "zel/savefile.h"

#include <QFileDialog>
#include <QMessageBox>

namespace savedialog {

QString askPath(QWidget *parent, const QString &title, const QString &filter, const QString &suffix,
                const QString &fileName)
{
    const bool withApp = hasApp();
    QFileDialog dialog(parent, title, withApp ? app().dialogFolder() : QString(), filter);
    dialog.setObjectName(QStringLiteral("cmnDlg"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(suffix);
    if (!fileName.isEmpty())
        dialog.selectFile(fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    const QString path = dialog.selectedFiles().constFirst();
    if (withApp)
        app().rememberFolderOf(path);
    return path;
}

void showFailed(QWidget *parent, const QString &caption, const QString &path, const QString &reason)
{
    QMessageBox box(QMessageBox::Warning, caption, QStringLiteral("Save Failed.\r\n") + path, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("msgSaveFailed"));
    box.setInformativeText(reason);
    box.exec();
}

bool save(QWidget *parent, const QString &caption, const QString &path, const QByteArray &bytes)
{
    QString error;
    if (zel::saveFile(path, bytes, &error))
        return true;
    showFailed(parent, caption, path, error);
    return false;
}

} // namespace savedialog
