// The log writer: numbered, time-stamped lines in the log pane.
#pragma once

#include "zel/errors.h"
#include "zel/value.h"

#include <QString>
#include <QTime>
#include <functional>
#include <memory>

// Where log lines go. The writer hands over each complete line (number, time, message, CR LF).
class LogOutput {
public:
    virtual ~LogOutput() = default;
    virtual void appendLogText(const QString &line) = 0;
};

class clsLogMsg {
public:
    using Clock = std::function<QTime()>;

    // Messages longer than this are cut and marked with "...".
    static constexpr int MaxMessageLength = 256;

    clsLogMsg();
    ~clsLogMsg();
    clsLogMsg(const clsLogMsg &) = delete;
    clsLogMsg &operator=(const clsLogMsg &) = delete;

    // Attach the pane. Before a pane is attached, lines are formatted and returned only.
    // The writer does not own a LogOutput passed in; one handed over is its own.
    void OutputTextBox(LogOutput *output);
    void OutputTextBox(std::unique_ptr<LogOutput> output);
    // A pane of the windowed program, through the adapter that logOutputFor(pane) makes: the
    // writer stays free of widgets, and panelkit/logpane.h gives the one for a plain-text pane.
    template <typename Pane>
    requires requires(Pane *pane) { logOutputFor(pane); }
    void OutputTextBox(Pane *pane) { OutputTextBox(logOutputFor(pane)); }
    LogOutput *OutputTextBox() const { return m_output; }
    // A second output beside the pane (the log file): every line written goes there too, in
    // the same order. None by default.
    void setFileOutput(std::unique_ptr<LogOutput> output) { m_fileOutput = std::move(output); }
    LogOutput *fileOutput() const { return m_fileOutput.get(); }
    // A written line as the pane and the log file hold it: without its CR LF, and a line break
    // that got into the message (a lone LF) as a blank, so that the line stays one line.
    static QString SingleLine(const QString &line);

    // Writes one line and returns it complete ("[n] hh:mm:ss message" CR LF). A message held
    // in a modifiable string is shortened in place by the message limits.
    QString WriteLogMsg(QString &strMsg);
    QString WriteLogMsg(const QString &strMsg);

    // Writes the failure line of the error being handled:
    // "Failed. (0x" + eight upper-case hex digits + ": " + description + ")".
    QString WriteErrorLogMsg(const zel::ZelError &err = zel::ZelError());

    // Value text for log lines: the converter's text of the value after the size limits
    // (arrays cut to indices 0 to 256, a nested variant array gives "<type>,???"). The value
    // itself is cut in place; use LogText to keep the caller's value intact.
    static QString Variant2Log(zel::Value &vntVal);
    // Variant2Log on a copy: the shared routine that panels use.
    static QString LogText(const zel::Value &vntVal);

    // Redimensions an array whose upper bound lies beyond 256 to indices 0 to 256, keeping its
    // elements from the first one on. Returns whether the value changed.
    static bool CutArray(zel::Value &v);
    // The message limits, applied in place: the 256-character cut first, then the cut before
    // the first CR.
    static void ShortenMessage(QString &strMsg);
    // The message part of a failure line.
    static QString FailureMessage(const zel::ZelError &err);

    // Number of the last written line; it only grows (clearing the pane does not reset it).
    qint32 lineCount() const { return m_lineCount; }
    // For restoring state and for tests: the number the next line continues from.
    void setLineCount(qint32 count) { m_lineCount = count; }
    // The source of the hh:mm:ss time; the local time by default.
    void setClock(Clock clock);

private:
    LogOutput *m_output = nullptr;
    std::unique_ptr<LogOutput> m_ownOutput;
    std::unique_ptr<LogOutput> m_fileOutput;
    qint32 m_lineCount = 0;
    Clock m_clock;
};
