// Helpers for tests that drive the real program offscreen: a fresh run with its own settings
// file and registry store, the log pane's lines, modal dialogs answered by callbacks.
#pragma once

#include "panelkit/PanelBase.h"
#include "panelkit/AppState.h"
#include "services/clsLogMsg.h"
#include "services/clsScriptGen.h"
#include "shell/frmMDI.h"
#include "shell/startup.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStringList>
#include <QTabWidget>
#include <QTreeWidget>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

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
    // Clicks a button below root (as clickButton) and returns the log messages it wrote; the
    // script text it recorded goes to *script when asked for.
    QStringList click(QWidget *root, const QString &button, QString *script = nullptr);
    // The recorded script body, and the status bar's first panel.
    QString script() { return state().script.body(); }
    QString status() const;

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

// Sets controls below root from "name=value" pieces: line edits, plain text boxes, editable
// lists (their text), other lists and tab controls (an index), check and radio boxes (0 or 1).
void fill(QWidget *root, const QStringList &assignments);

// Lines with every failure line ("Failed. (0x...: ...)") shortened to "Failed.".
QStringList failuresShort(QStringList lines);

// A file of the source tree (examples/, docs/).
QString sourcePath(const QString &relative);
inline QString examplePath(const QString &name) { return sourcePath(u"examples/"_s + name); }

// Loads a capability definition on the built-in workspace's panel (4); a document is saved
// into the run's directory first.
void loadDefinition(TestRun &run, const QString &path);
void loadDefinition(TestRun &run, const ksf::DocumentPtr &doc);

// The controller panel's member pages, in page order (from the kinds' rows).
struct ControllerPage {
    PanelKind kind;
    const char *add, *option, *namesOption, *clear;
};
extern const QList<ControllerPage> kControllerPages;
int controllerPage(PanelKind kind);

// Adds a controller on the built-in workspace's panel and returns its panel.
PanelBase *addController(TestRun &run, const QString &name = u"rc1"_s);
// Adds a member on its page of the controller panel, as the user does; returns its panel.
PanelBase *addMember(TestRun &run, PanelBase *ctrl, PanelKind kind, const QString &name, const QString &option = {});

// Late-bound calls on engine objects.
zel::Value zget(const zel::ObjectPtr &o, const QString &member, const QList<zel::Value> &args = {});
zel::Value zcall(const zel::ObjectPtr &o, const QString &member, const QList<zel::Value> &args = {});
void zput(const zel::ObjectPtr &o, const QString &member, const zel::Value &value);

// A value as log lines and scripts show it: "<3,42>" and DAT.VariantFromBstr("3,42").
QString logArg(const zel::Value &v);
QString scriptArg(const zel::Value &v);
// The script block of a call on the panel's object (member begins with ".").
QString scriptBlock(const PanelBase *p, const QString &member, int retType, int style, const QString &arg = {});

// The access keys that two controls taking input now carry, with their owners.
QStringList duplicateAccessKeys(QWidget *panel);
// Of the named controls, those a definition has disabled: not enabled in themselves, whatever
// their page says.
QStringList ownDisabled(QWidget *root, const QStringList &names);
