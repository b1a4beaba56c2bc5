// Helpers for tests that drive the real program offscreen: a fresh run with its own settings
// file and registry store, the log pane's lines, modal dialogs answered by callbacks.
#pragma once

#include "engine/PanelBase.h"
#include "shell/AppState.h"
#include "shell/frmMDI.h"
#include "shell/startup.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTreeWidget>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

class TestRun {
public:
    // Starts ZelTester with a fresh engine (or the factory given), a temporary program
    // directory and a temporary registry store.
    // beforeStart runs once the temporary registry store is in place, before the start-up.
    explicit TestRun(const QStringList &arguments = {}, EngineFactory factory = {},
                     const std::function<void()> &beforeStart = {});
    ~TestRun();

    frmMDI *mdi() const { return m_run->window(); }
    AppState &state() { return m_run->state(); }
    ZelTesterRun &run() { return *m_run; }
    QString appDir() const { return m_dir.path() + QStringLiteral("/"); }
    QString registryFile() const { return m_dir.path() + QStringLiteral("/registry.ini"); }

    // The log pane's lines without their "[n] hh:mm:ss " heads.
    QStringList logMessages() const;
    // The pane's raw lines (with number and time).
    QStringList logLines() const;
    // Messages written since the mark.
    QStringList logSince(qsizetype mark) const { return logMessages().mid(mark); }
    qsizetype logMark() const { return logMessages().size(); }

    // The open panel with that number.
    PanelBase *panel(qint32 formId) const;
    // The most recently created open panel of that kind.
    PanelBase *lastPanel(PanelKind kind) const;

    // The default engine for runs.
    static EngineFactory defaultEngine();

private:
    QTemporaryDir m_dir;
    QByteArray m_oldRegistry;
    std::unique_ptr<ZelTesterRun> m_run;
};

// Runs the callback on the next modal widget that appears (message box, file dialog) and
// fails the test if none appears within the time.
void onNextModal(std::function<void(QWidget *)> callback, int timeoutMs = 5000);
// Presses the message box button with that role or text.
void answerMessageBox(QWidget *modal, const QString &buttonText);
// Sets the file name of a QFileDialog and accepts it.
void acceptFileDialog(QWidget *modal, const QString &path);
// Clicks a button found by object name below a root (fails when missing or disabled).
void clickButton(QWidget *root, const QString &name);
// Replaces a line edit's text (found by object name).
void setText(QWidget *root, const QString &name, const QString &text);
QString textOf(QWidget *root, const QString &name);

template <typename T = QWidget>
T *child(QWidget *root, const QString &name)
{
    T *w = root->findChild<T *>(name);
    if (!w)
        qWarning("no child %s below %s", qPrintable(name), qPrintable(root->objectName()));
    return w;
}
