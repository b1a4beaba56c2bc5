// The log file: a second output of the log writer that appends every line to a file as it is
// written, in the log's own line format with CR LF, one write per line, so that the lines
// written before a crash are all in the file.
#pragma once

#include "clsLogMsg.h"

#include <QFile>
#include <QString>
#include <functional>

class LogFile : public LogOutput {
public:
    // Called once, when a line cannot be written (a full disk, a file taken away); the file
    // takes no more lines after that.
    using FailureHandler = std::function<void(const QString &reason)>;

    explicit LogFile(const QString &path, FailureHandler onFailure = {});
    ~LogFile() override;

    // Opens the file for appending (creating it when missing). False, with the reason, when it
    // cannot be: a folder, a device or a pipe in its place, no permission, no such folder.
    bool open(QString *error = nullptr);
    void appendLogText(const QString &line) override;

    QString path() const { return m_file.fileName(); }
    bool failed() const { return m_failed; }

private:
    QFile m_file;
    FailureHandler m_onFailure;
    bool m_failed = false;
};
