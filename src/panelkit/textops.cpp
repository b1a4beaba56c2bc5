#include "textops.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace textops {

bool isTextBox(const QWidget *w)
{
    return qobject_cast<const QLineEdit *>(w) || qobject_cast<const QPlainTextEdit *>(w)
           || qobject_cast<const QTextEdit *>(w);
}

QWidget *textTargetFor(QWidget *focused)
{
    if (!focused)
        return nullptr;
    if (auto *combo = qobject_cast<QComboBox *>(focused)) {
        QString name = combo->objectName();
        if ((name == QLatin1String("cmbController") || name == QLatin1String("cmbProvider")) && combo->lineEdit())
            return combo->lineEdit();
        return nullptr;
    }
    if (auto *edit = qobject_cast<QLineEdit *>(focused)) {
        // The line edit inside an editable combo box counts only for the two named ones.
        if (auto *combo = qobject_cast<QComboBox *>(edit->parentWidget())) {
            QString name = combo->objectName();
            return name == QLatin1String("cmbController") || name == QLatin1String("cmbProvider") ? edit : nullptr;
        }
        return edit;
    }
    return isTextBox(focused) ? focused : nullptr;
}

bool hasSelection(const QWidget *w)
{
    if (auto *e = qobject_cast<const QLineEdit *>(w))
        return e->hasSelectedText();
    if (auto *e = qobject_cast<const QPlainTextEdit *>(w))
        return e->textCursor().hasSelection();
    if (auto *e = qobject_cast<const QTextEdit *>(w))
        return e->textCursor().hasSelection();
    return false;
}

bool isReadOnly(const QWidget *w)
{
    if (!w->isEnabled())
        return true;
    if (auto *e = qobject_cast<const QLineEdit *>(w))
        return e->isReadOnly();
    if (auto *e = qobject_cast<const QPlainTextEdit *>(w))
        return e->isReadOnly();
    if (auto *e = qobject_cast<const QTextEdit *>(w))
        return e->isReadOnly();
    return true;
}

namespace {
QString selectedText(const QWidget *w)
{
    if (auto *e = qobject_cast<const QLineEdit *>(w))
        return e->selectedText();
    if (auto *e = qobject_cast<const QPlainTextEdit *>(w))
        return e->textCursor().selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    if (auto *e = qobject_cast<const QTextEdit *>(w))
        return e->textCursor().selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return QString();
}

void replaceSelection(QWidget *w, const QString &text)
{
    if (auto *e = qobject_cast<QLineEdit *>(w))
        e->insert(text);
    else if (auto *e = qobject_cast<QPlainTextEdit *>(w))
        e->insertPlainText(text);
    else if (auto *e = qobject_cast<QTextEdit *>(w))
        e->insertPlainText(text);
}
} // namespace

void copy(QWidget *w)
{
    if (!w)
        return;
    QClipboard *cb = QApplication::clipboard();
    cb->clear();
    cb->setText(selectedText(w));
}

void cut(QWidget *w)
{
    if (!w || isReadOnly(w))
        return;
    copy(w);
    replaceSelection(w, QString());
}

void paste(QWidget *w)
{
    if (!w || isReadOnly(w))
        return;
    replaceSelection(w, QApplication::clipboard()->text());
}

void clear(QWidget *w)
{
    if (auto *e = qobject_cast<QLineEdit *>(w))
        e->clear();
    else if (auto *e = qobject_cast<QPlainTextEdit *>(w))
        e->clear();
    else if (auto *e = qobject_cast<QTextEdit *>(w))
        e->clear();
}

void selectAll(QWidget *w)
{
    if (auto *e = qobject_cast<QLineEdit *>(w)) {
        e->setCursorPosition(0);
        e->selectAll();
    } else if (auto *e = qobject_cast<QPlainTextEdit *>(w)) {
        e->selectAll();
    } else if (auto *e = qobject_cast<QTextEdit *>(w)) {
        e->selectAll();
    }
}

void setLocked(QWidget *textBox, bool locked)
{
    if (auto *e = qobject_cast<QLineEdit *>(textBox))
        e->setReadOnly(locked);
    else if (auto *e = qobject_cast<QPlainTextEdit *>(textBox))
        e->setReadOnly(locked);
    else if (auto *e = qobject_cast<QTextEdit *>(textBox))
        e->setReadOnly(locked);
    else
        return;
    QPalette pal = textBox->palette();
    const QPalette &base = QApplication::palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        pal.setColor(group, QPalette::Base,
                     locked ? base.color(group, QPalette::Button) : base.color(group, QPalette::Base));
    textBox->setPalette(pal);
}

void setEnabledLook(QWidget *control, bool enabled)
{
    if (!control)
        return;
    if (isTextBox(control)) {
        control->setEnabled(enabled);
        setLocked(control, !enabled);
    } else if (qobject_cast<QAbstractButton *>(control) || qobject_cast<QComboBox *>(control)) {
        control->setEnabled(enabled);
    }
}

void bringToFront(QWidget *window)
{
    if (!window)
        return;
    if (auto *frame = qobject_cast<QMdiSubWindow *>(window->parentWidget()))
        window = frame;
    window->raise();
    window->activateWindow();
}

} // namespace textops
