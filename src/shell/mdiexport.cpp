// The exports of the log, the script and a workspace's KSF file (the save dialog and the failed-save
// message are the panel kit's, panelkit/savedialog.h).
#include "frmMDI.h"

#include "panelkit/AppState.h"
#include "panelkit/PanelBase.h"
#include "panelkit/savedialog.h"
#include "services/clsRegKey.h"
#include "zel/errors.h"
#include "zel/savefile.h"

#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTreeWidget>

bool frmMDI::writeTextFile(const QString &path, const QString &text)
{
    QString error;
    bool ok = false;
    {
        OverrideCursor busy;
        ok = zel::saveFile(path, text.toUtf8(), &error);
    }
    if (!ok)
        savedialog::showFailed(this, QStringLiteral("ZelTester"), path, error);
    return ok;
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
        QString path = savedialog::askPath(this, QStringLiteral("Save Log"), QStringLiteral("Log File (*.log)"),
                                           QStringLiteral("log"));
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
        QString path = savedialog::askPath(this, QStringLiteral("Save ZelScript File"),
                                           QStringLiteral("ZelScript File (*.vbs)"), QStringLiteral("vbs"), proposed);
        if (!path.isEmpty() && writeTextFile(path, a.script.ZelScriptSrc()))
            a.scriptModified = false;
    } else if (kind == ExportKSF) {
        PanelBase *panel = qobject_cast<PanelBase *>(findForm(m_tree->currentItem()));
        while (panel && panel->kind() != PanelKind::Workspace)
            panel = panel->ownerPanel();
        if (!panel || !panel->workspaceDocument())
            return;
        QString path = savedialog::askPath(this, QStringLiteral("Save KSF(") + panel->windowTitle() + QLatin1Char(')'),
                                           QStringLiteral("XML File (*.xml)"), QStringLiteral("ksf"));
        if (path.isEmpty())
            return;
        try {
            panel->workspaceDocument()->saveAs(path);
        } catch (const zel::ZelError &e) {
            savedialog::showFailed(this, QStringLiteral("ZelTester"), path, e.description());
        }
    }
}
