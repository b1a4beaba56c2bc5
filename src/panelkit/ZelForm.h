// Base of every window that the main window keeps as a child: panels, the status monitor and
// message panels. Holds the panel number by which the object tree finds a window.
#pragma once

#include <QWidget>

class QMdiSubWindow;
class QTreeWidgetItem;

class ZelForm : public QWidget {
    Q_OBJECT
public:
    explicit ZelForm(QWidget *parent = nullptr);

    qint32 m_FormID = 0;                   // unique panel number; the tag of its tree node
    QTreeWidgetItem *m_TreeNode = nullptr; // its own node (none for message panels)

    // The frame that holds the form in the main window's client area, if any.
    QMdiSubWindow *subWindow() const;
    // Shows that frame at its normal size (a minimised or maximised one is restored first) and
    // returns it; null when the form has no frame.
    QMdiSubWindow *showFrame();

    // Closes the form for good, as the program does (Delete, an ancestor's deletion, exit):
    // runs the form's own closing rules once, then the window goes away.
    void closeByProgram();
    // True once closeByProgram has run; such a form is no longer found by its number.
    bool isUnloaded() const { return m_unloaded; }

protected:
    // The form's closing rules (removal from its collection, releases). Runs once.
    virtual void unloadForm() {}
    // The close box only hides a form.
    void closeEvent(QCloseEvent *event) override;

private:
    bool m_unloaded = false;
};
