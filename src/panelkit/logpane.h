// The log writer's output into a plain-text pane (the main window's txtLog). The writer itself
// (services/clsLogMsg.h) knows no widgets; a pane is attached through this adapter, by
// log.OutputTextBox(pane) once this header is included.
#pragma once

#include "services/clsLogMsg.h"

#include <QObject>
#include <QPointer>
#include <memory>

class QPlainTextEdit;

// Each line is appended at the end of the document in one edit, its CR LF becoming the widget's
// own paragraph break, so the pane's text ends with an empty line after every write, as the
// exported log expects. The text and the caret (at the end) are up to date as soon as a line is
// written. Bringing the view to the bottom, which means laying out the newest lines and moving
// the picture, is done once when control returns to the event loop (before anything is seen on
// screen) or by settle(); so appending stays cheap however long the log grows and however many
// lines one action writes. The view stays at the bottom while later painting finds wrapped
// lines, until the user scrolls away.
class PlainTextLogOutput : public LogOutput {
public:
    explicit PlainTextLogOutput(QPlainTextEdit *edit);
    void appendLogText(const QString &line) override;
    // Brings the view to the newest line now.
    void settle();
    QPlainTextEdit *textEdit() const { return m_edit; }

private:
    QPointer<QPlainTextEdit> m_edit;
    QObject m_context; // context of connections and timers, which end with the adapter
    bool m_settlePending = false;
    bool m_keepAtBottom = false;
    bool m_scrolling = false;
};

// The adapter the writer owns for a pane (none for no pane): what clsLogMsg::OutputTextBox(pane)
// attaches.
std::unique_ptr<LogOutput> logOutputFor(QPlainTextEdit *edit);
