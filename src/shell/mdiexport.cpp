// The exports of the log, the script and a workspace's KSF file, and the save dialog and file
// writing they share.
#include "frmMDI.h"

#include "panelkit/AppState.h"
#include "panelkit/PanelBase.h"
#include "services/clsRegKey.h"
#include "zel/errors.h"
#include "zel/savefile.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTreeWidget>

QString frmMDI::saveDialog(const QString &title, const QString &filter, const QString &suffix, const QString &fileName)
{
    QFileDialog dialog(this, title, app().dialogFolder(), filter);
    dialog.setObjectName(QStringLiteral("cmnDlg"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(suffix);
    if (!fileName.isEmpty())
        dialog.selectFile(fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    app().rememberFolderOf(dialog.selectedFiles().constFirst());
    return dialog.selectedFiles().constFirst();
}

bool frmMDI::writeTextFile(const QString &path, const QString &text)
{
    QString error;
    bool ok = false;
    {
        OverrideCursor busy;
        ok = zel::saveFile(path, text.toUtf8(), &error);
    }
    if (!ok)
        showSaveFailed(path, error);
    return ok;
}

void frmMDI::showSaveFailed(const QString &path, const QString &reason)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("ZelTester"), QStringLiteral("Save Failed.\r\n") + path,
                    QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("msgSaveFailed"));
    box.setInformativeText(reason);
    box.exec();
}

QString frmMDI::logText() const
{
    QString text = m_log->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

void frmMDI::ExportFile(int kind)
{
    AppState &a = app();
    if (kind == ExportLog) {
        QString path = saveDialog(QStringLiteral("Save Log"), QStringLiteral("Log File (*.log)"), QStringLiteral("log"),
                                  QString());
        if (!path.isEmpty())
            writeTextFile(path, logText());
    } else if (kind == ExportScript) {
        QString proposed;
        if (a.regKey) {
            zel::Value v;
            if (a.regKey->QueryValue(v, QStringLiteral("ScriptPath")) == reg::ERROR_SUCCESS && v.isString()
                && QFileInfo(v.stringValue()).isFile())
                proposed = v.stringValue();
        }
        QString path = saveDialog(QStringLiteral("Save ZelScript File"), QStringLiteral("ZelScript File (*.vbs)"),
                                  QStringLiteral("vbs"), proposed);
        if (!path.isEmpty() && writeTextFile(path, a.script.ZelScriptSrc()))
            a.scriptModified = false;
    } else if (kind == ExportKSF) {
        PanelBase *panel = qobject_cast<PanelBase *>(findForm(m_tree->currentItem()));
        while (panel && panel->kind() != PanelKind::Workspace)
            panel = panel->ownerPanel();
        if (!panel || !panel->workspaceDocument())
            return;
        QString path = saveDialog(QStringLiteral("Save KSF(") + panel->windowTitle() + QLatin1Char(')'),
                                  QStringLiteral("XML File (*.xml)"), QStringLiteral("ksf"), QString());
        if (path.isEmpty())
            return;
        try {
            panel->workspaceDocument()->saveAs(path);
        } catch (const zel::ZelError &e) {
            showSaveFailed(path, e.description());
        }
    }
}
