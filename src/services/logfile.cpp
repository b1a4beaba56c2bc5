#include "logfile.h"

#include <QFileInfo>

LogFile::LogFile(const QString &path, FailureHandler onFailure) : m_file(path), m_onFailure(std::move(onFailure)) {}

LogFile::~LogFile() = default;

bool LogFile::open(QString *error)
{
    const QFileInfo info(m_file.fileName());
    QString reason;
    if (m_file.fileName().isEmpty())
        reason = QStringLiteral("no file name");
    else if (info.exists() && info.isDir())
        reason = QStringLiteral("it is a folder");
    else if (info.exists() && !info.isFile())
        // A pipe would hold the program until something reads it.
        reason = QStringLiteral("it is not a plain file");
    // Unbuffered: each line goes to the system as it is written.
    else if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        reason = m_file.errorString();
    m_failed = !reason.isEmpty();
    if (error)
        *error = reason;
    return !m_failed;
}

void LogFile::appendLogText(const QString &line)
{
    if (m_failed || !m_file.isOpen())
        return;
    const QByteArray bytes = clsLogMsg::SingleLine(line).toUtf8() + "\r\n";
    if (m_file.write(bytes) == bytes.size())
        return;
    m_failed = true;
    const QString reason = m_file.errorString();
    m_file.close();
    if (m_onFailure)
        m_onFailure(reason);
}
