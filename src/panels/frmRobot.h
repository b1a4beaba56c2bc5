// The robot panel: the window of one ZelRobot. A tab control holds one page per group of motion
// operations (acceleration, drive, hand, move, rotate, speed, terminate, execute); only the
// selected page takes input. Besides that the panel reads Name, Attribute and Help, reads and
// writes Tag and ID, lists, adds and clears the robot's variables, deletes the robot and hides.
#pragma once

#include "panelkit/PanelBase.h"

class QTabWidget;

class frmRobot : public PanelBase {
    Q_OBJECT
public:
    explicit frmRobot(QWidget *parent = nullptr);

    // Number of operation pages and the page selected at load ("&Execute").
    static constexpr int PageCount = 8;
    static constexpr int ExecutePage = 7;

protected:
    void onLoad() override;

private:
    QWidget *operationPage(int index, std::initializer_list<std::pair<const char *, QWidget *>> rows,
                           std::initializer_list<QWidget *> buttons);

    QTabWidget *m_tabs = nullptr;
};
