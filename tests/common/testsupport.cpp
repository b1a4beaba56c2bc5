#include "testsupport.h"

#include "zel/engine.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTextBlock>
#include <QDeadlineTimer>
#include <QPointer>
#include <QTimer>

namespace {
// Waiting modal callbacks; a run that ends cancels those still waiting, so that none of them
// answers a window of a later test.
QList<QPointer<QTimer>> &pendingModals()
{
    static QList<QPointer<QTimer>> timers;
    return timers;
}
} // namespace

EngineFactory TestRun::defaultEngine()
{
    return [] { return zel::ObjectPtr(zel::ZelEngine::create()); };
}

TestRun::TestRun(const QStringList &arguments, EngineFactory factory, const std::function<void()> &beforeStart)
{
    m_oldRegistry = qgetenv("ZELTESTER_REGISTRY");
    qputenv("ZELTESTER_REGISTRY", registryFile().toLocal8Bit());
    if (beforeStart)
        beforeStart();
    m_run = std::make_unique<ZelTesterRun>(StartOptions{arguments, factory ? factory : defaultEngine(), m_dir.path()});
}

TestRun::~TestRun()
{
    m_run.reset();
    for (const QPointer<QTimer> &timer : std::as_const(pendingModals())) {
        if (timer && timer->isActive()) {
            qWarning("a modal window that was waited for never appeared");
            timer->stop();
            timer->deleteLater();
        }
    }
    pendingModals().clear();
    // Let deferred deletions of closed panels happen before the next test.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (m_oldRegistry.isNull())
        qunsetenv("ZELTESTER_REGISTRY");
    else
        qputenv("ZELTESTER_REGISTRY", m_oldRegistry);
}

QStringList TestRun::logLines() const
{
    QStringList lines;
    if (!mdi())
        return lines;
    for (QTextBlock b = mdi()->logPane()->document()->begin(); b.isValid(); b = b.next()) {
        if (!b.text().isEmpty())
            lines << b.text();
    }
    return lines;
}

QStringList TestRun::logMessages() const
{
    static const QRegularExpression head(QStringLiteral("^\\[\\d+\\] \\d\\d:\\d\\d:\\d\\d "));
    QStringList out;
    for (QString line : logLines())
        out << line.remove(head);
    return out;
}

PanelBase *TestRun::panel(qint32 formId) const
{
    return qobject_cast<PanelBase *>(mdi()->findForm(formId));
}

PanelBase *TestRun::lastPanel(PanelKind kind) const
{
    PanelBase *best = nullptr;
    for (PanelBase *p : mdi()->findChildren<PanelBase *>()) {
        if (p->kind() == kind && !p->isUnloaded() && (!best || p->m_FormID > best->m_FormID))
            best = p;
    }
    return best;
}

void onNextModal(std::function<void(QWidget *)> callback, int timeoutMs)
{
    // Only a modal window that was not open yet counts.
    QList<QPointer<QWidget>> before;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->isModal())
            before << w;
    }
    auto *timer = new QTimer;
    pendingModals().append(timer);
    QObject::connect(timer, &QTimer::timeout, [timer, callback, before, deadline = QDeadlineTimer(timeoutMs)] {
        QWidget *modal = QApplication::activeModalWidget();
        const bool found = modal && modal->isVisible() && !before.contains(modal);
        if (!found && !deadline.hasExpired())
            return;
        timer->stop();
        timer->deleteLater();
        if (found)
            callback(modal);
        else
            qWarning("no modal window appeared");
    });
    timer->start(10);
}

void answerMessageBox(QWidget *modal, const QString &buttonText)
{
    auto *box = qobject_cast<QMessageBox *>(modal);
    if (!box) {
        // Never leave a test hanging in a window nobody answers.
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        QFAIL("the modal window is not a message box");
    }
    for (QAbstractButton *b : box->buttons()) {
        if (b->text().remove(QLatin1Char('&')).compare(buttonText, Qt::CaseInsensitive) == 0) {
            b->click();
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no button %1").arg(buttonText)));
}

void acceptFileDialog(QWidget *modal, const QString &path)
{
    auto *dialog = qobject_cast<QFileDialog *>(modal);
    if (!dialog) {
        if (auto *other = qobject_cast<QDialog *>(modal))
            other->reject();
        QFAIL("the modal window is not a file dialog");
    }
    if (path.isEmpty()) {
        dialog->reject();
        return;
    }
    // The whole path goes into the name box, as a user may type it: selectFile() alone would
    // resolve the name against a directory the dialog's model may not have reached yet.
    dialog->selectFile(path);
    if (auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
        edit->setText(path);
    static_cast<QDialog *>(dialog)->done(QDialog::Accepted);
}

void clickButton(QWidget *root, const QString &name)
{
    auto *b = root->findChild<QAbstractButton *>(name);
    QVERIFY2(b, qPrintable(QStringLiteral("no button %1").arg(name)));
    QVERIFY2(b->isEnabled(), qPrintable(QStringLiteral("button %1 is disabled").arg(name)));
    b->click();
}

void setText(QWidget *root, const QString &name, const QString &text)
{
    auto *e = root->findChild<QLineEdit *>(name);
    QVERIFY2(e, qPrintable(QStringLiteral("no text box %1").arg(name)));
    e->setText(text);
}

QString textOf(QWidget *root, const QString &name)
{
    if (auto *e = root->findChild<QLineEdit *>(name))
        return e->text();
    if (auto *p = root->findChild<QPlainTextEdit *>(name))
        return p->toPlainText();
    return QStringLiteral("<no %1>").arg(name);
}

QStringList TestRun::click(QWidget *root, const QString &button, QString *script)
{
    const qsizetype mark = logMark();
    const qsizetype scriptMark = state().script.body().size();
    clickButton(root, button);
    if (script)
        *script = state().script.body().mid(scriptMark);
    return logSince(mark);
}

QString TestRun::status() const
{
    return mdi()->findChild<QLabel *>(u"stbrMain_1"_s)->text();
}

void fill(QWidget *root, const QStringList &assignments)
{
    for (const QString &piece : assignments) {
        const QString name = piece.section(u'=', 0, 0);
        const QString value = piece.section(u'=', 1);
        QWidget *w = root->findChild<QWidget *>(name);
        QVERIFY2(w, qPrintable(u"no control "_s + name));
        if (auto *e = qobject_cast<QLineEdit *>(w))
            e->setText(value);
        else if (auto *t = qobject_cast<QPlainTextEdit *>(w))
            t->setPlainText(value);
        else if (auto *c = qobject_cast<QComboBox *>(w); c && c->isEditable())
            c->setEditText(value);
        else if (auto *c = qobject_cast<QComboBox *>(w))
            c->setCurrentIndex(value.toInt());
        else if (auto *tabs = qobject_cast<QTabWidget *>(w))
            tabs->setCurrentIndex(value.toInt());
        else if (auto *b = qobject_cast<QAbstractButton *>(w))
            b->setChecked(value == u"1");
        else
            QFAIL(qPrintable(u"cannot fill "_s + name));
    }
}

QStringList failuresShort(QStringList lines)
{
    for (QString &line : lines) {
        if (line.startsWith(u"Failed. (0x"))
            line = u"Failed."_s;
    }
    return lines;
}

QString sourcePath(const QString &relative)
{
    return qEnvironmentVariable("ZEL_TEST_SOURCE_DIR", u"."_s) + u'/' + relative;
}

void loadDefinition(TestRun &run, const QString &path)
{
    setText(run.panel(4), u"txtDCFile"_s, path);
    clickButton(run.panel(4), u"cmdDCLoad"_s);
}

void loadDefinition(TestRun &run, const ksf::DocumentPtr &doc)
{
    const QString path = run.appDir() + u"defs.xml"_s;
    doc->saveAs(path);
    loadDefinition(run, path);
}

const QList<ControllerPage> kControllerPages = [] {
    QList<ControllerPage> pages;
    for (int page = 0; page < kinds::pageCount(); ++page) {
        const KindInfo &row = *kinds::pageRow(page);
        pages.append({row.kind, row.addButton, row.optionBox, row.namesOption, row.clearButton});
    }
    return pages;
}();

int controllerPage(PanelKind kind)
{
    return kindInfo(kind).page;
}

PanelBase *addController(TestRun &run, const QString &name)
{
    PanelBase *ws = run.panel(4);
    ws->findChild<QComboBox *>(u"cmbController"_s)->setEditText(name);
    clickButton(ws, u"cmdOpen"_s);
    return run.lastPanel(PanelKind::Controller);
}

PanelBase *addMember(TestRun &run, PanelBase *ctrl, PanelKind kind, const QString &name, const QString &option)
{
    const int page = controllerPage(kind);
    ctrl->findChild<QTabWidget *>(u"tabController"_s)->setCurrentIndex(page);
    fill(ctrl, {u"txtName_%1="_s.arg(page) + name, QLatin1String(kControllerPages[page].option) + u'=' + option});
    clickButton(ctrl, QLatin1String(kControllerPages[page].add));
    return run.lastPanel(kind);
}

zel::Value zget(const zel::ObjectPtr &o, const QString &member, const QList<zel::Value> &args)
{
    return o->invoke(member, zel::CallKind::PropertyGet, args);
}

zel::Value zcall(const zel::ObjectPtr &o, const QString &member, const QList<zel::Value> &args)
{
    return o->invoke(member, zel::CallKind::Method, args);
}

void zput(const zel::ObjectPtr &o, const QString &member, const zel::Value &value)
{
    o->invoke(member, zel::CallKind::PropertyPut, {value});
}

QString logArg(const zel::Value &v)
{
    return u'<' + clsLogMsg::LogText(v) + u'>';
}

QString scriptArg(const zel::Value &v)
{
    return clsScriptGen::Variant2Script(v);
}

QString scriptBlock(const PanelBase *p, const QString &member, int retType, int style, const QString &arg)
{
    return clsScriptGen::ScriptBlock(p->m_CsrObjPath + member, retType, style, arg);
}

QStringList duplicateAccessKeys(QWidget *panel)
{
    QMap<QString, QStringList> owners;
    auto note = [&](const QString &text, const QString &owner) {
        const QString key = QKeySequence::mnemonic(text).toString();
        if (!key.isEmpty())
            owners[key] << owner;
    };
    for (QWidget *w : panel->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(panel) || !w->isEnabled())
            continue;
        if (auto *b = qobject_cast<QAbstractButton *>(w))
            note(b->text(), b->objectName());
        else if (auto *l = qobject_cast<QLabel *>(w); l && l->buddy())
            note(l->text(), l->buddy()->objectName());
        else if (auto *g = qobject_cast<QGroupBox *>(w))
            note(g->title(), g->objectName());
        else if (auto *bar = qobject_cast<QTabBar *>(w)) {
            for (int i = 0; i < bar->count(); ++i)
                note(bar->tabText(i), bar->tabText(i));
        }
    }
    QStringList twice;
    for (auto it = owners.cbegin(); it != owners.cend(); ++it) {
        if (it->size() > 1)
            twice << it.key() + u": "_s + it->join(u", "_s);
    }
    return twice;
}

QStringList ownDisabled(QWidget *root, const QStringList &names)
{
    QStringList off;
    for (const QString &name : names) {
        QWidget *w = root->findChild<QWidget *>(name);
        if (!w)
            off << name + u" (missing)"_s;
        else if (w->testAttribute(Qt::WA_ForceDisabled))
            off << name;
    }
    return off;
}
