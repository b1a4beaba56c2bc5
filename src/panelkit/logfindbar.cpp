#include "logfindbar.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QToolButton>
#include <algorithm>

namespace {

// Highlights beyond this many on screen are left out (a pane is never that tall); each one is a
// cursor the document moves along with every edit.
constexpr int kMaxHighlights = 500;

// A failure line: "[n] hh:mm:ss Failed. (0x...".
bool isFailureLine(QStringView line)
{
    const qsizetype head = line.indexOf(u"] ");
    return head >= 0 && line.mid(head + 2 + 9).startsWith(u"Failed. (");
}

QCheckBox *checkBox(const QString &name, const QString &caption, const QString &tip, QWidget *parent)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setToolTip(tip);
    return box;
}

QToolButton *toolButton(const QString &name, const QString &caption, const QString &tip, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(caption);
    button->setToolTip(tip);
    button->setAutoRaise(true);
    return button;
}

} // namespace

LogFindBar::LogFindBar(QPlainTextEdit *pane, QWidget *parent) : QFrame(parent), m_pane(pane)
{
    setObjectName(QStringLiteral("fraLogFind"));
    setFrameShape(QFrame::StyledPanel);

    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("txtLogFind"));
    m_text->setPlaceholderText(QStringLiteral("Find in the log"));
    m_text->setClearButtonEnabled(true);
    m_prev = toolButton(QStringLiteral("cmdLogFindPrev"), QStringLiteral("\u25B2"),
                        QStringLiteral("Previous match (Shift+F3, Shift+Enter)"), this);
    m_next = toolButton(QStringLiteral("cmdLogFindNext"), QStringLiteral("\u25BC"),
                        QStringLiteral("Next match (F3, Enter)"), this);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("lblLogFindCount"));
    m_count->setMinimumWidth(m_count->fontMetrics().horizontalAdvance(QStringLiteral("888888 of 888888")));
    m_count->setWordWrap(true);
    m_close = toolButton(QStringLiteral("cmdLogFindClose"), QStringLiteral("\u2715"),
                         QStringLiteral("Close the find bar (Escape)"), this);

    // The options below the text, in tab order: where each stands and what a click on it does.
    const struct {
        QCheckBox *LogFindBar::*box;
        const char *name;
        const char *caption;
        const char *tip;
        int row;
        int column;
        void (*toggled)(LogFindBar *bar);
    } options[] = {
        {&LogFindBar::m_regex, "chkLogFindRegex", "Regular expression", "Read the text as a regular expression", 1, 0,
         [](LogFindBar *bar) { bar->searchChanged(); }},
        {&LogFindBar::m_case, "chkLogFindCase", "Match case", "Tell upper-case and lower-case letters apart", 1, 1,
         [](LogFindBar *bar) { bar->searchChanged(); }},
        {&LogFindBar::m_all, "chkLogFindAll", "Highlight all", "Mark every match on screen", 1, 2,
         [](LogFindBar *bar) { bar->updateHighlights(); }},
        {&LogFindBar::m_filter, "chkLogFilter", "Only matching lines",
         "Show only the lines that match; the log itself stays whole", 2, 0, [](LogFindBar *bar) { bar->applyFilter(0); }},
        {&LogFindBar::m_failures, "chkLogFilterFailures", "Only failures",
         "Show only the failure lines (\"Failed. (0x...\")", 2, 1, [](LogFindBar *bar) { bar->applyFilter(0); }},
    };
    for (const auto &option : options) {
        QCheckBox *box = checkBox(QLatin1String(option.name), QLatin1String(option.caption),
                                  QLatin1String(option.tip), this);
        this->*option.box = box;
        connect(box, &QCheckBox::toggled, this, [this, toggled = option.toggled] { toggled(this); });
    }

    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(3, 3, 3, 3);
    layout->setHorizontalSpacing(6);
    layout->setVerticalSpacing(2);
    auto *top = new QHBoxLayout;
    top->setSpacing(2);
    top->addWidget(m_text, 1);
    top->addWidget(m_prev);
    top->addWidget(m_next);
    top->addWidget(m_count);
    top->addWidget(m_close);
    layout->addLayout(top, 0, 0, 1, 3);
    for (const auto &option : options)
        layout->addWidget(this->*option.box, option.row, option.column);
    layout->setColumnStretch(2, 1);

    connect(m_text, &QLineEdit::textChanged, this, &LogFindBar::searchChanged);
    connect(m_text, &QLineEdit::returnPressed, this, &LogFindBar::findNext);
    connect(m_next, &QToolButton::clicked, this, &LogFindBar::findNext);
    connect(m_prev, &QToolButton::clicked, this, &LogFindBar::findPrevious);
    connect(m_close, &QToolButton::clicked, this, &LogFindBar::closeBar);
    auto shortcut = [this](const QKeySequence &keys, void (LogFindBar::*slot)()) {
        auto *s = new QShortcut(keys, this);
        s->setContext(Qt::WidgetWithChildrenShortcut);
        connect(s, &QShortcut::activated, this, slot);
    };
    shortcut(QKeySequence(Qt::Key_Escape), &LogFindBar::closeBar);
    shortcut(QKeySequence(Qt::Key_F3), &LogFindBar::findNext);
    shortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), &LogFindBar::findPrevious);
    shortcut(QKeySequence(Qt::SHIFT | Qt::Key_Return), &LogFindBar::findPrevious);
    shortcut(QKeySequence(Qt::SHIFT | Qt::Key_Enter), &LogFindBar::findPrevious);

    if (m_pane) {
        connect(m_pane->document(), &QTextDocument::contentsChange, this, &LogFindBar::contentsChanged);
        connect(m_pane->verticalScrollBar(), &QScrollBar::valueChanged, this, &LogFindBar::updateHighlights);
        m_pane->viewport()->installEventFilter(this);
    }
    hide();
}

LogFindBar::~LogFindBar() = default;

bool LogFindBar::eventFilter(QObject *watched, QEvent *event)
{
    // A taller pane shows more lines to highlight. (The type is tested first: the filter also
    // sees the events of the pane's destruction, when the pane may no longer be looked at.)
    if (event->type() == QEvent::Resize && m_pane && watched == m_pane->viewport())
        updateHighlights();
    return QFrame::eventFilter(watched, event);
}

void LogFindBar::open()
{
    show();
    m_text->setFocus(Qt::ShortcutFocusReason);
    m_text->selectAll();
    rescan();
}

void LogFindBar::closeBar()
{
    const bool hadFocus = isAncestorOf(QApplication::focusWidget());
    hide();
    // The log is shown whole again, without marks.
    const QSignalBlocker filter(m_filter);
    const QSignalBlocker failures(m_failures);
    m_filter->setChecked(false);
    m_failures->setChecked(false);
    applyFilter(0);
    updateHighlights();
    if (hadFocus && m_pane)
        m_pane->setFocus(Qt::OtherFocusReason);
}

// ---- scanning --------------------------------------------------------------------------------

bool LogFindBar::searching() const
{
    return !m_text->text().isEmpty() && m_error.isEmpty();
}

void LogFindBar::rescan()
{
    m_matches.clear();
    m_lines.clear();
    m_lineStarts.clear();
    m_current = -1;
    m_error.clear();
    if (!m_text->text().isEmpty()) {
        // A plain text is found as a regular expression of its own when letter case does not
        // count: far quicker than comparing the cases character by character.
        QRegularExpression::PatternOptions options = QRegularExpression::MultilineOption;
        if (!m_case->isChecked())
            options |= QRegularExpression::CaseInsensitiveOption;
        const QString pattern = m_regex->isChecked() ? m_text->text() : QRegularExpression::escape(m_text->text());
        m_expression = QRegularExpression(pattern, options);
        if (!m_expression.isValid())
            m_error = QStringLiteral("Invalid regular expression: %1 (at character %2)")
                          .arg(m_expression.errorString())
                          .arg(m_expression.patternErrorOffset() + 1);
        else
            m_expression.optimize();
    }
    if (m_pane && !isHidden()) {
        // The document's plain text has the same positions as the document itself, one
        // character for each line break; one copy is far quicker than a walk over the blocks.
        QTextDocument *doc = m_pane->document();
        m_lines.reserve(doc->blockCount());
        m_lineStarts.reserve(doc->blockCount());
        scanText(doc->toPlainText(), 0);
    }
    applyFilter(0);
    updateCount();
    updateHighlights();
}

// Scans whole lines (separated by LF) that start at the document position base: their starts,
// which of them are failure lines, the matches in them and which lines hold one.
void LogFindBar::scanText(QStringView text, int base)
{
    const qsizetype firstLine = m_lines.size();
    for (qsizetype start = 0;;) {
        const qsizetype end = text.indexOf(u'\n', start);
        const QStringView line = text.sliced(start, (end < 0 ? text.size() : end) - start);
        m_lines.append(isFailureLine(line) ? LineFails : 0);
        m_lineStarts.append(base + int(start));
        if (end < 0)
            break;
        start = end + 1;
    }
    if (!searching())
        return;
    qsizetype line = firstLine;
    auto add = [&](qsizetype at, qsizetype length) {
        // A match ends with its line.
        const qsizetype lineEnd = text.indexOf(u'\n', at);
        if (lineEnd >= 0 && lineEnd < at + length)
            length = lineEnd - at;
        if (length <= 0)
            return;
        const int pos = base + int(at);
        while (line + 1 < m_lineStarts.size() && m_lineStarts[line + 1] <= pos)
            ++line;
        m_lines[line] |= LineMatches;
        m_matches.append({pos, int(length)});
    };
    if (!m_regex->isChecked() && m_case->isChecked()) {
        const QString &needle = m_text->text();
        for (qsizetype at = text.indexOf(needle); at >= 0; at = text.indexOf(needle, at + needle.size()))
            add(at, needle.size());
        return;
    }
    QRegularExpressionMatchIterator it = m_expression.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        add(m.capturedStart(), m.capturedLength());
    }
}

void LogFindBar::contentsChanged(int from, int, int)
{
    if (isHidden() || !m_pane)
        return;
    if (m_lineStarts.isEmpty() || from < m_lineStarts.last()) {
        // Cleared, or changed before its last line: all of it again.
        rescan();
        return;
    }
    // Lines added at the end (the log's usual change): the last line scanned, which they
    // completed, and the new ones.
    const int firstLine = int(m_lines.size()) - 1;
    const int start = m_lineStarts.last();
    while (!m_matches.isEmpty() && m_matches.last().pos >= start)
        m_matches.removeLast();
    if (m_current >= m_matches.size())
        m_current = -1;
    m_lines.removeLast();
    m_lineStarts.removeLast();
    QString tail;
    for (QTextBlock b = m_pane->document()->findBlock(start); b.isValid(); b = b.next()) {
        if (!tail.isEmpty() || b.position() != start)
            tail += QLatin1Char('\n');
        tail += b.text();
    }
    scanText(tail, start);
    applyFilter(firstLine);
    updateCount();
    if (m_all->isChecked())
        updateHighlights();
}

// ---- finding ---------------------------------------------------------------------------------

void LogFindBar::searchChanged()
{
    rescan();
    if (m_matches.isEmpty() || !m_pane)
        return;
    // From the caret backwards, as a log is read: at first the newest match; while the text
    // grows, the match selected stays as long as it still matches.
    const int caret = m_pane->textCursor().selectionStart();
    auto after = std::upper_bound(m_matches.cbegin(), m_matches.cend(), caret,
                                  [](int pos, const Match &m) { return pos < m.pos; });
    int index = int(after - m_matches.cbegin()) - 1;
    if (index < 0)
        index = int(m_matches.size()) - 1; // round the start of the log
    select(index);
    if (!lineShown(lineOf(m_matches[index].pos)))
        step(-1);
}

void LogFindBar::step(int direction)
{
    if (m_matches.isEmpty() || !m_pane)
        return;
    const int count = int(m_matches.size());
    int index = m_current;
    if (index < 0) {
        // From the caret.
        const QTextCursor caret = m_pane->textCursor();
        const int from = direction > 0 ? caret.selectionEnd() : caret.selectionStart();
        auto it = std::lower_bound(m_matches.cbegin(), m_matches.cend(), from,
                                   [](const Match &m, int pos) { return m.pos < pos; });
        index = int(it - m_matches.cbegin()) - (direction > 0 ? 1 : 0);
    }
    // The next match on a line that is shown, round the end of the log.
    for (int tries = 0; tries < count; ++tries) {
        index = ((index + direction) % count + count) % count;
        if (lineShown(lineOf(m_matches[index].pos))) {
            select(index);
            return;
        }
    }
}

void LogFindBar::select(int index)
{
    m_current = index;
    const Match &m = m_matches[index];
    QTextCursor cursor(m_pane->document());
    cursor.setPosition(m.pos);
    cursor.setPosition(m.pos + m.len, QTextCursor::KeepAnchor);
    m_pane->setTextCursor(cursor);
    m_pane->ensureCursorVisible();
    updateCount();
    updateHighlights();
}

int LogFindBar::lineOf(int position) const
{
    auto it = std::upper_bound(m_lineStarts.cbegin(), m_lineStarts.cend(), position);
    return int(it - m_lineStarts.cbegin()) - 1;
}

void LogFindBar::updateCount()
{
    QString text;
    if (!m_error.isEmpty())
        text = m_error;
    else if (m_text->text().isEmpty())
        text.clear();
    else if (m_matches.isEmpty())
        text = QStringLiteral("No matches");
    else if (m_current >= 0)
        text = QStringLiteral("%1 of %2").arg(m_current + 1).arg(m_matches.size());
    else
        text = QStringLiteral("%1 matches").arg(m_matches.size());
    m_count->setText(text);
    m_next->setEnabled(!m_matches.isEmpty());
    m_prev->setEnabled(!m_matches.isEmpty());
}

// ---- filter ----------------------------------------------------------------------------------

bool LogFindBar::lineShown(int line) const
{
    if (line < 0 || line >= m_lines.size())
        return true;
    const bool byText = m_filter->isChecked() && searching();
    const bool byFailure = m_failures->isChecked();
    if (!byText && !byFailure)
        return true;
    // The empty line after the newest one holds the caret.
    if (line == m_lines.size() - 1 && m_lines[line] == 0 && m_pane
        && m_pane->document()->lastBlock().length() <= 1)
        return true;
    return (!byText || (m_lines[line] & LineMatches)) && (!byFailure || (m_lines[line] & LineFails));
}

void LogFindBar::applyFilter(int fromLine)
{
    if (!m_pane)
        return;
    QTextDocument *doc = m_pane->document();
    const bool filtering = !isHidden() && ((m_filter->isChecked() && searching()) || m_failures->isChecked());
    if (!filtering && !m_hiding)
        return;
    int firstChanged = -1;
    int lastChanged = -1;
    int line = fromLine;
    for (QTextBlock b = doc->findBlockByNumber(fromLine); b.isValid(); b = b.next(), ++line) {
        const bool shown = !filtering || lineShown(line);
        if (b.isVisible() != shown) {
            b.setVisible(shown);
            if (firstChanged < 0)
                firstChanged = b.position();
            lastChanged = b.position() + b.length();
        }
    }
    m_hiding = filtering;
    if (firstChanged >= 0) {
        // The layout takes the blocks' visibility from here, as for any change of their text.
        doc->markContentsDirty(firstChanged, qMin(lastChanged, doc->characterCount()) - firstChanged);
        if (fromLine == 0) {
            m_pane->ensureCursorVisible();
            m_pane->viewport()->update();
        }
    }
    if (fromLine == 0)
        updateHighlights();
}

// ---- highlights --------------------------------------------------------------------------------

void LogFindBar::updateHighlights()
{
    if (!m_pane)
        return;
    QList<QTextEdit::ExtraSelection> marks;
    if (!isHidden() && m_all->isChecked() && !m_matches.isEmpty()) {
        // Only what the pane shows: from the first line on screen to the last.
        QWidget *view = m_pane->viewport();
        const int top = m_pane->cursorForPosition(QPoint(0, 0)).block().position();
        const QTextBlock bottomBlock = m_pane->cursorForPosition(QPoint(view->width(), view->height())).block();
        const int bottom = bottomBlock.position() + bottomBlock.length();
        QTextCharFormat all;
        all.setBackground(QColor(255, 235, 120));
        QTextCharFormat current;
        current.setBackground(QColor(255, 160, 60));
        auto it = std::lower_bound(m_matches.cbegin(), m_matches.cend(), top,
                                   [](const Match &m, int pos) { return m.pos < pos; });
        for (; it != m_matches.cend() && it->pos < bottom && marks.size() < kMaxHighlights; ++it) {
            QTextEdit::ExtraSelection mark;
            mark.cursor = QTextCursor(m_pane->document());
            mark.cursor.setPosition(it->pos);
            mark.cursor.setPosition(it->pos + it->len, QTextCursor::KeepAnchor);
            mark.format = int(it - m_matches.cbegin()) == m_current ? current : all;
            marks.append(mark);
        }
    }
    if (!marks.isEmpty() || !m_pane->extraSelections().isEmpty())
        m_pane->setExtraSelections(marks);
}
