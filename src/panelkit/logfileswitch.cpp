#include "logfileswitch.h"

#include "AppState.h"
#include "PanelHost.h"
#include "services/logfile.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>
#include <QTimer>

namespace {

const QString kPathKey = QStringLiteral("LogFile/Path");
const QString kOnKey = QStringLiteral("LogFile/On");

} // namespace

LogFileSwitch::LogFileSwitch(clsLogMsg &log, const QString &settingsFile, QWidget *window)
    : QObject(window), m_log(log), m_settingsFile(settingsFile), m_window(window)
{
    m_action = new QAction(QStringLiteral("Log to &File..."), this);
    m_action->setObjectName(QStringLiteral("mnuToolsLogFile"));
    m_action->setCheckable(true);
    connect(m_action, &QAction::triggered, this, &LogFileSwitch::triggered);
    QSettings settings(m_settingsFile, QSettings::IniFormat);
    m_path = settings.value(kPathKey).toString();
    showState();
}

LogFileSwitch::~LogFileSwitch() = default;

bool LogFileSwitch::isOn() const
{
    auto *file = dynamic_cast<LogFile *>(m_log.fileOutput());
    return file && !file->failed();
}

void LogFileSwitch::restore()
{
    QSettings settings(m_settingsFile, QSettings::IniFormat);
    if (!settings.value(kOnKey, false).toBool() || m_path.isEmpty())
        return;
    // The program starts up first; a warning about the file comes once the window is there.
    QString reason;
    if (!attach(m_path, &reason))
        QTimer::singleShot(0, this, [this, reason] { failed(m_path, reason); });
}

bool LogFileSwitch::start(const QString &path)
{
    QString reason;
    if (!attach(path, &reason)) {
        failed(path, reason);
        return false;
    }
    if (hasApp() && app().host)
        app().host->WriteStatusBar(QStringLiteral("Logging to ") + QDir::toNativeSeparators(path));
    return true;
}

bool LogFileSwitch::attach(const QString &path, QString *reason)
{
    QPointer<LogFileSwitch> self(this);
    auto file = std::make_unique<LogFile>(path, [self, path](const QString &why) {
        // A failing write happens inside the writer, in the middle of some action: the
        // warning waits until that is over.
        if (self)
            QTimer::singleShot(0, self, [self, path, why] { self->failed(path, why); });
    });
    if (!file->open(reason))
        return false;
    m_log.setFileOutput(std::move(file));
    m_path = path;
    remember();
    showState();
    return true;
}

void LogFileSwitch::stop()
{
    m_log.setFileOutput(nullptr);
    remember();
    showState();
}

void LogFileSwitch::triggered(bool checked)
{
    if (!checked) {
        stop();
        return;
    }
    QString folder = m_path.isEmpty() ? (hasApp() ? app().dialogFolder() : QDir::homePath())
                                      : QFileInfo(m_path).absolutePath();
    QFileDialog dialog(m_window, QStringLiteral("Log to File"), folder, QStringLiteral("Log File (*.log)"));
    dialog.setObjectName(QStringLiteral("dlgLogFile"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    // Lines are added to the end of a file that exists; nothing is overwritten.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("log"));
    if (!m_path.isEmpty())
        dialog.selectFile(m_path);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        showState();
        return;
    }
    const QString path = dialog.selectedFiles().constFirst();
    if (hasApp())
        app().rememberFolderOf(path);
    start(path);
}

void LogFileSwitch::failed(const QString &path, const QString &reason)
{
    // Off first, so that the lines written while the warning is up go to the pane alone.
    if (auto *file = dynamic_cast<LogFile *>(m_log.fileOutput()); file && file->path() == path)
        m_log.setFileOutput(nullptr);
    if (m_path == path)
        remember();
    showState();
    QMessageBox box(QMessageBox::Warning, QStringLiteral("ZelTester"),
                    QStringLiteral("The log file cannot be written.\r\n%1\r\n%2\r\nThe log goes on in the log pane only.")
                        .arg(QDir::toNativeSeparators(path), reason),
                    QMessageBox::Ok, m_window);
    box.setObjectName(QStringLiteral("msgLogFile"));
    box.exec();
}

void LogFileSwitch::remember()
{
    QSettings settings(m_settingsFile, QSettings::IniFormat);
    settings.setValue(kPathKey, m_path);
    settings.setValue(kOnKey, isOn());
}

void LogFileSwitch::showState()
{
    const bool on = isOn();
    m_action->setChecked(on);
    m_action->setText(on ? QStringLiteral("Log to &File (%1)").arg(QFileInfo(m_path).fileName())
                         : QStringLiteral("Log to &File..."));
    m_action->setToolTip(on ? QStringLiteral("Every log line also goes to ") + QDir::toNativeSeparators(m_path)
                            : QStringLiteral("Append every log line to a file"));
    m_action->setStatusTip(m_action->toolTip());
}
