// The command panel: one command object of the controller. Time-out, state, typed parameters,
// execution in a numbered mode, cancellation and result; shows when an execution completed,
// also when the controller's Commands collection reports it later.
#pragma once

#include "panelkit/PanelBase.h"

class frmCommand : public PanelBase {
    Q_OBJECT
public:
    explicit frmCommand(QWidget *parent = nullptr);

    // The Commands collection reports that the command at that Index has completed: the panel
    // of that command writes the time into "Complete Time".
    void m_ZelObjs_ExecuteComplete(int index);

    // The current local date and time as the panel shows it.
    static QString nowText();

protected:
    void onLoad() override;
    void onUnload() override;
    void opHook(const panel::OpRow &row, panel::Stage stage, zel::Value &result) override;

private:
    QMetaObject::Connection m_completion;
};
