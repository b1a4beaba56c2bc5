#include "logpane.h"

#include <QAbstractTextDocumentLayout>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

PlainTextLogOutput::PlainTextLogOutput(QPlainTextEdit *edit) : m_edit(edit)
{
    if (!m_edit)
        return;
    QScrollBar *bar = m_edit->verticalScrollBar();
    QObject::connect(bar, &QScrollBar::rangeChanged, &m_context, [this, bar](int, int max) {
        if (m_keepAtBottom) {
            m_scrolling = true;
            bar->setValue(max);
            m_scrolling = false;
        }
    });
    QObject::connect(bar, &QScrollBar::valueChanged, &m_context, [this, bar](int value) {
        if (!m_scrolling)
            m_keepAtBottom = value == bar->maximum();
    });
}

void PlainTextLogOutput::appendLogText(const QString &line)
{
    if (!m_edit)
        return;
    const QString text = clsLogMsg::SingleLine(line) + QLatin1Char('\n');

    // The document ends in the empty line that follows the last written line (or is empty);
    // the new text completes it and opens the next one, in a single edit. The layout's
    // notifications would make the pane lay out the newest lines and scroll at once, for
    // every line; settle() makes up for them once.
    QTextDocument *doc = m_edit->document();
    // The log only grows at its end; an undo history of every line would only eat memory.
    // (Clearing the pane switches the history back on for an editable pane.)
    if (doc->isUndoRedoEnabled())
        doc->setUndoRedoEnabled(false);
    QAbstractTextDocumentLayout *layout = doc->documentLayout();
    QTextCursor cursor(doc);
    const bool blocked = layout->blockSignals(true);
    // Inside an edit block a cursor that moves does not lay out its block to find its x
    // position, which would keep a text layout alive for every line of the log.
    cursor.beginEditBlock();
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
    cursor.endEditBlock();
    layout->blockSignals(blocked);

    // A caret at the end moves along with the insertion; one elsewhere is brought to the end.
    const QTextCursor caret = m_edit->textCursor();
    if (caret.position() != cursor.position() || caret.hasSelection())
        m_edit->setTextCursor(cursor);

    if (!m_settlePending) {
        m_settlePending = true;
        QTimer::singleShot(0, &m_context, [this] { settle(); });
    }
}

void PlainTextLogOutput::settle()
{
    m_settlePending = false;
    if (!m_edit)
        return;
    QAbstractTextDocumentLayout *layout = m_edit->document()->documentLayout();
    Q_EMIT layout->documentSizeChanged(layout->documentSize());
    m_scrolling = true;
    QScrollBar *bar = m_edit->verticalScrollBar();
    bar->setValue(bar->maximum());
    m_edit->horizontalScrollBar()->setValue(m_edit->horizontalScrollBar()->minimum());
    m_scrolling = false;
    m_keepAtBottom = true;
    m_edit->viewport()->update();
}

std::unique_ptr<LogOutput> logOutputFor(QPlainTextEdit *edit)
{
    return edit ? std::make_unique<PlainTextLogOutput>(edit) : nullptr;
}
