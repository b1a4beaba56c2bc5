// Tools > "Log to &File...": while it is on, every line the log writer writes also goes to a
// file (services/logfile.h). The choice of file and whether it is on are remembered in the
// user's window settings (not ZelTester.ini) and taken up again at the next start.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QAction;
class QWidget;
class clsLogMsg;

class LogFileSwitch : public QObject {
    Q_OBJECT
public:
    // settingsFile: the INI file of the window settings; window: the owner of the dialogs.
    LogFileSwitch(clsLogMsg &log, const QString &settingsFile, QWidget *window);
    ~LogFileSwitch() override;

    // The checkable menu item (mnuToolsLogFile): checked while lines go to the file.
    QAction *action() const { return m_action; }
    // Starts logging to the remembered file when it was on at the last exit.
    void restore();
    // Starts logging to the file (appending). On failure: a warning, and it stays off.
    bool start(const QString &path);
    void stop();
    bool isOn() const;
    QString path() const { return m_path; }

private:
    bool attach(const QString &path, QString *reason);
    void triggered(bool checked);
    void failed(const QString &path, const QString &reason);
    void remember();
    void showState();

    clsLogMsg &m_log;
    QString m_settingsFile;
    QPointer<QWidget> m_window;
    QAction *m_action;
    QString m_path;
};
