#include "testsupport.h"

#include "zel/engine.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBlock>
#include <QElapsedTimer>
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
    QElapsedTimer *clock = new QElapsedTimer;
    clock->start();
    QObject::connect(timer, &QTimer::destroyed, [clock] { delete clock; });
    QObject::connect(timer, &QTimer::timeout, [timer, callback, before, clock, timeoutMs] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible() && !before.contains(modal)) {
            timer->stop();
            timer->deleteLater();
            callback(modal);
        } else if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            qWarning("no modal window appeared");
        }
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
