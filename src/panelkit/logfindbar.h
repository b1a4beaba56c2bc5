// The find bar under the log pane (fraLogFind): finds a text or a regular expression in the
// log, counts the matches ("12 of 140"), goes to the next and previous one, highlights them,
// and can show only the matching lines or only the failure lines. Neither the log's text nor
// its numbering changes: the filter hides the other lines' blocks, which toPlainText() and the
// exports still give.
#pragma once

#include <QFrame>
#include <QList>
#include <QPointer>
#include <QRegularExpression>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTimer;
class QToolButton;

class LogFindBar : public QFrame {
    Q_OBJECT
public:
    explicit LogFindBar(QPlainTextEdit *pane, QWidget *parent = nullptr);
    ~LogFindBar() override;

    // Shows the bar with the text box focused and its text selected (Ctrl+F).
    void open();
    // Hides the bar; the filter and the highlights go with it (Escape).
    void closeBar();
    void findNext() { step(+1); }
    void findPrevious() { step(-1); }

    // The matches in the log (position in the document and length), in order, and the one the
    // pane shows selected (-1 for none).
    struct Match {
        int pos;
        int len;
    };
    const QList<Match> &matches() const { return m_matches; }
    int current() const { return m_current; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum LineFlag : quint8 { LineMatches = 1, LineFails = 2 };

    bool searching() const;
    void rescan();
    void scanText(QStringView text, int base);
    void contentsChanged(int from, int removed, int added);
    void searchChanged();
    void step(int direction);
    void select(int index);
    bool lineShown(int line) const;
    void applyFilter(int fromLine);
    void updateCount();
    void updateHighlights();
    int lineOf(int position) const;

    QPointer<QPlainTextEdit> m_pane;
    QLineEdit *m_text;
    QCheckBox *m_regex;
    QCheckBox *m_case;
    QToolButton *m_next;
    QToolButton *m_prev;
    QCheckBox *m_all;
    QLabel *m_count;
    QCheckBox *m_filter;
    QCheckBox *m_failures;
    QToolButton *m_close;

    QRegularExpression m_expression;
    QString m_error;           // why the regular expression cannot be used
    QList<Match> m_matches;    // every match, by position
    QList<quint8> m_lines;     // LineFlag of each line (block) scanned
    QList<int> m_lineStarts;   // document position of each line scanned
    int m_current = -1;
    bool m_hiding = false;     // some blocks are hidden by the filter
};
