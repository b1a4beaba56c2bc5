#include "textops.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <type_traits>

namespace textops {

namespace {

// The three kinds of text box, const as the widget asked about is.
template <typename W, typename T>
using Like = std::conditional_t<std::is_const_v<W>, const T, T>;
template <typename E>
constexpr bool isLineEdit = std::is_same_v<std::remove_const_t<E>, QLineEdit>;

// Runs op on the widget as the text box it is (a line edit, a plain or a rich text edit) and
// returns what op returns; otherwise when the widget is no text box.
template <typename W, typename R, typename Op>
R withTextBox(W *w, R otherwise, Op op)
{
    if (auto *e = qobject_cast<Like<W, QLineEdit> *>(w))
        return op(e);
    if (auto *e = qobject_cast<Like<W, QPlainTextEdit> *>(w))
        return op(e);
    if (auto *e = qobject_cast<Like<W, QTextEdit> *>(w))
        return op(e);
    return otherwise;
}

QString selectedText(const QWidget *w)
{
    return withTextBox(w, QString(), [](auto *e) {
        if constexpr (isLineEdit<std::remove_pointer_t<decltype(e)>>)
            return e->selectedText();
        else
            return e->textCursor().selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    });
}

void replaceSelection(QWidget *w, const QString &text)
{
    withTextBox(w, false, [&](auto *e) {
        if constexpr (isLineEdit<std::remove_pointer_t<decltype(e)>>)
            e->insert(text);
        else
            e->insertPlainText(text);
        return true;
    });
}

} // namespace

bool isTextBox(const QWidget *w)
{
    return withTextBox(w, false, [](auto *) { return true; });
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
    return withTextBox(w, false, [](auto *e) {
        if constexpr (isLineEdit<std::remove_pointer_t<decltype(e)>>)
            return e->hasSelectedText();
        else
            return e->textCursor().hasSelection();
    });
}

bool isReadOnly(const QWidget *w)
{
    if (!w->isEnabled())
        return true;
    return withTextBox(w, true, [](auto *e) { return e->isReadOnly(); });
}

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
    withTextBox(w, false, [](auto *e) {
        e->clear();
        return true;
    });
}

void selectAll(QWidget *w)
{
    withTextBox(w, false, [](auto *e) {
        if constexpr (isLineEdit<std::remove_pointer_t<decltype(e)>>)
            e->setCursorPosition(0);
        e->selectAll();
        return true;
    });
}

void setLocked(QWidget *textBox, bool locked)
{
    const bool isText = withTextBox(textBox, false, [locked](auto *e) {
        e->setReadOnly(locked);
        return true;
    });
    if (!isText)
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
