#include "ZelForm.h"

#include <QCloseEvent>
#include <QMdiSubWindow>

ZelForm::ZelForm(QWidget *parent) : QWidget(parent) {}

QMdiSubWindow *ZelForm::subWindow() const
{
    return qobject_cast<QMdiSubWindow *>(parentWidget());
}

QMdiSubWindow *ZelForm::showFrame()
{
    QMdiSubWindow *frame = subWindow();
    if (!frame)
        return nullptr;
    if (frame->isMinimized() || frame->isMaximized())
        frame->showNormal();
    frame->show();
    return frame;
}

void ZelForm::closeByProgram()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    unloadForm();
    QWidget *frame = subWindow();
    if (!frame)
        frame = this;
    frame->hide();
    // The caller may be one of this form's own button handlers, so the window object goes
    // away once control is back in the event loop.
    frame->deleteLater();
}

void ZelForm::closeEvent(QCloseEvent *event)
{
    if (m_unloaded) {
        event->accept();
        return;
    }
    event->ignore();
    if (QMdiSubWindow *frame = subWindow())
        frame->hide();
    else
        hide();
}
