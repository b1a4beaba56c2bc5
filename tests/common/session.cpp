#include "session.h"

#include <QStackedWidget>

namespace {

// Makes every tab page that holds the widget the current one, as a user would before using it.
void reveal(QWidget *w)
{
    for (QWidget *p = w; p; p = p->parentWidget()) {
        auto *stack = qobject_cast<QStackedWidget *>(p->parentWidget());
        auto *tabs = stack ? qobject_cast<QTabWidget *>(stack->parentWidget()) : nullptr;
        if (tabs && tabs->indexOf(p) >= 0)
            tabs->setCurrentIndex(tabs->indexOf(p));
    }
}

// Tag and ID written and read back.
QStringList tagAndId(const QString &tag, const QString &id)
{
    return {u"txtPutTag="_s + tag, u"cmdPutTag"_s, u"cmdGetTag"_s, u"txtPutID="_s + id, u"cmdPutID"_s, u"cmdGetID"_s};
}

} // namespace

void act(QWidget *panel, const QStringList &steps)
{
    for (const QString &step : steps) {
        const QString name = step.section(u'=', 0, 0), value = step.section(u'=', 1);
        QWidget *w = panel->findChild<QWidget *>(name);
        QVERIFY2(w, qPrintable(u"no control "_s + name + u" in "_s + panel->windowTitle()));
        reveal(w);
        if (!step.contains(u'='))
            clickButton(panel, name);
        else if (auto *c = qobject_cast<QComboBox *>(w); c && value.startsWith(u'#'))
            c->setCurrentIndex(value.mid(1).toInt());
        else if (auto *b = qobject_cast<QAbstractButton *>(w))
            b->setChecked(value == u"1");
        else
            fill(panel, {step});
    }
}

void recordSession(TestRun &run)
{
    PanelBase *ws = run.panel(4);
    auto addController = [&](const QString &name, const QString &machine, bool eventsOff) {
        act(ws, {u"cmbController="_s + name, u"txtMachine="_s + machine, u"txtOption="_s,
                 eventsOff ? u"chkOnMessage=1"_s : u"chkOnMessage=0"_s, u"cmdOpen"_s});
        return run.lastPanel(PanelKind::Controller);
    };
    // Adds a member with the Add button of the owner's page for it; its name box, option box and
    // button are given, or those of the controller page of that kind.
    auto add = [&](PanelBase *owner, PanelKind kind, const QString &name, const QString &option = {},
                   QStringList boxes = {}) {
        if (boxes.isEmpty()) {
            const ControllerPage &page = kControllerPages[controllerPage(kind)];
            boxes = QStringList{u"txtName_%1"_s.arg(controllerPage(kind)), QLatin1String(page.option),
                                QLatin1String(page.add)};
        }
        act(owner, {boxes[0] + u'=' + name, boxes[1] + u'=' + option, boxes[2]});
        PanelBase *p = run.lastPanel(kind);
        return p && p->ownerPanel() == owner ? p : nullptr;
    };
    const QStringList varBoxes{u"txtVarName"_s, u"txtVarOption"_s, u"cmdGetVar"_s};

    // ---- the workspace and the controllers --------------------------------------------------------
    PanelBase *c = addController(u"RC1"_s, u"pc-7"_s, true);
    PanelBase *c2 = addController(u"RC2"_s, QString(), false);
    PanelBase *c3 = addController(u"RC3"_s, QString(), true);
    QVERIFY(c && c2 && c3 && c != c2 && c2 != c3);
    act(c, QStringList{"cmdGetName", "cmdGetAttr", "cmdGetHelp"} + tagAndId(u"cell one"_s, u"7"_s)
               + QStringList{"txtCommand=Echo", "cmbValueType=#5", "txtParameter=42", "cmdExecute",
                             "txtCommand=RaiseMessage", "cmbValueType=#10",
                             "txtParameter=Number=7,Description=Door open", "cmdExecute"});
    for (int page = 0; page < 6; ++page)
        act(c, {QLatin1String(kControllerPages[page].namesOption) + (page == 0 ? u"=Filter=@M*"_s : u"="_s),
                u"cmdGetNames_%1"_s.arg(page)});

    // ---- variables ----------------------------------------------------------------------------------
    PanelBase *v1 = add(c, PanelKind::Variable, u"V1"_s);
    PanelBase *v2 = add(c, PanelKind::Variable, u"V2"_s);
    PanelBase *counter = add(c, PanelKind::Variable, u"@counter"_s);
    QVERIFY(v1 && v2 && counter);
    act(v1,
        QStringList{"cmdGetVarName", "cmdGetAttr", "cmdGetHelp"} + tagAndId(u"tag of V1"_s, u"id-1"_s)
            + QStringList{"cmbValueType=#7", "txtPutValue=12.5", "cmdPutValue", "cmdGetValue", "cmdGetDateTime",
                          "cmdGetMicrosecond", "cmbValueType=#14", "txtPutValue=1,2,3", "cmdPutValue", "cmdGetValue"});
    act(v2, {"cmbValueType=#10", "txtPutValue=text with \"quotes\", commas", "cmdPutValue"});
    act(counter, {"cmdGetValue", "cmdGetValue", "cmbValueType=#5", "txtPutValue=10", "cmdPutValue", "cmdGetValue"});

    // ---- the robot ----------------------------------------------------------------------------------
    PanelBase *arm = add(c, PanelKind::Robot, u"Arm"_s);
    QVERIFY(arm);
    act(arm, QStringList{"cmdGetName", "cmdGetAttribute", "cmdGetHelp"} + tagAndId(u"arm tag"_s, u"A-1"_s)
                 + QStringList{"txtExeCommand=GetPosition",
                               "cmbValueType=#0",
                               "cmdExecute",
                               "txtAccelAxis=1",
                               "txtAccel=50",
                               "txtDeccel=40",
                               "cmdAccel",
                               "txtNumber=1",
                               "txtMove=-10.5",
                               "txtDriveOption=",
                               "cmdDrive",
                               "txtHandName=Hand2",
                               "cmdChange",
                               "txtChuckOption=",
                               "cmdChuck",
                               "cmdUnchuck",
                               "cmbInterpolation=#1",
                               "txtPose=P(500, 100, 300, 0, 0, 0)",
                               "txtMoveOption=Speed=50",
                               "cmdMove",
                               "cmdGoHome",
                               "txtRotation=XY",
                               "txtAngle=10",
                               "txtCenter=",
                               "txtRotateOption=",
                               "cmdRotate",
                               "txtSpeedAxis=0",
                               "txtSpeed=80",
                               "cmdSpeed",
                               "txtTermOption=",
                               "cmdHold",
                               "cmdUnhold",
                               "cmdHalt",
                               "txtExeCommand=Reset",
                               "cmdExecute"});
    QVERIFY(add(arm, PanelKind::Variable, u"@Speed"_s, {}, varBoxes));
    act(arm, {"cmdGetNames", "cmdVarClear"});
    QVERIFY(add(arm, PanelKind::Variable, u"@LastMotion"_s, {}, varBoxes));

    // ---- files --------------------------------------------------------------------------------------
    PanelBase *readme = add(c, PanelKind::File, u"readme.txt"_s);
    PanelBase *logo = add(c, PanelKind::File, u"logo.bin"_s);
    PanelBase *data = add(c, PanelKind::File, u"Data"_s);
    PanelBase *created = add(c, PanelKind::File, u"new.txt"_s);
    PanelBase *gone = add(c, PanelKind::File, u"gone.txt"_s);
    PanelBase *programs = add(c, PanelKind::File, u"Programs"_s, u"Create=false"_s);
    QVERIFY(readme && logo && data && created && gone && programs);
    act(readme, QStringList{"cmdGetFileName", "cmdGetPath", "cmdGetSize", "cmdGetType", "cmdGetAttribute",
                            "cmdGetCreated", "cmdGetLastAccessed", "cmdGetLastModified", "cmdGetHelp"}
                    + tagAndId(u"readme"_s, u"F-1"_s)
                    + QStringList{"cmdGetValue", "txtValue=Hello from the round trip", "optSendType_0=1", "cmdPutValue",
                                  "txtDestinationFile=/Data/copy.txt", "txtCopyMoveOption=", "cmdCopy",
                                  "txtExeCommand=Append", "cmbValueType=#10", "txtExeParameter= and more", "cmdExecute",
                                  "txtExeCommand=LineCount", "cmbValueType=#0", "cmdExecute"});
    const QStringList fileVar{u"txtName_0"_s, u"txtVarOption"_s, u"cmdGetVariable"_s};
    QVERIFY(add(readme, PanelKind::Variable, u"@Size"_s, {}, fileVar));
    act(readme, {"cmdGetNames_0", "cmdGetNames_1"});
    act(logo, {"cmdGetValue", "optSendType_1=1", "cmdPutValue"});
    act(created, {"txtDestinationFile=/Data/moved.txt", "txtCopyMoveOption=", "cmdMove"});
    act(gone, {"txtDeleteOption=", "cmdDelete"});
    act(data, {"cmdGetNames_1"});
    const QStringList fileFile{u"txtName_1"_s, u"txtFileOption"_s, u"cmdGetFile"_s};
    QVERIFY(add(data, PanelKind::File, u"inner.txt"_s, {}, fileFile));
    QVERIFY(add(data, PanelKind::Variable, u"@Type"_s, {}, fileVar));
    act(data, {"cmdFileClear", "cmdVarClear"});

    // ---- tasks: Main steps; Extra runs Cycle.pgm, started by the file's Run ---------------------------
    PanelBase *mainTask = add(c, PanelKind::Task, u"Main"_s);
    PanelBase *extra = add(c, PanelKind::Task, u"Extra"_s, u"File=/Programs/Cycle.pgm"_s);
    QVERIFY(mainTask && extra);
    act(mainTask, QStringList{"cmdGetTaskName", "cmdGetFileName", "cmdGetAttribute", "cmdGetHelp"}
                      + tagAndId(u"main"_s, u"T-1"_s)
                      + QStringList{"cmbTaskStart=#2", "txtStartOption=", "cmdTaskStart", // step forward
                                    "txtExeCommand=Status", "cmbValueType=#0", "cmdExecute", "cmbTaskStop=#4",
                                    "txtStopOption=", "cmdTaskStop", "cmdTaskStart", "cmdTaskStart"});
    QVERIFY(add(mainTask, PanelKind::Variable, u"@Line"_s, {}, varBoxes));
    act(mainTask, {"cmdGetNames", "cmdVarClear"});
    QVERIFY(add(mainTask, PanelKind::Variable, u"@Status"_s, {}, varBoxes));
    PanelBase *cycle = add(programs, PanelKind::File, u"Cycle.pgm"_s, u"Create=false"_s, fileFile);
    QVERIFY(cycle);
    act(cycle, {"txtRunOption=", "cmdRun"});
    QCOMPARE(textOf(cycle, u"txtTaskName"_s), u"Extra"_s);
    act(extra, {"cmbTaskStop=#4", "txtStopOption=", "cmdTaskStop", "txtDelOption=", "cmdDelete"});

    // ---- the extension -------------------------------------------------------------------------------
    PanelBase *io = add(c, PanelKind::Extension, u"IO"_s);
    QVERIFY(io);
    act(io, QStringList{"cmdGetExtName", "cmdGetAttribute", "cmdGetHelp"} + tagAndId(u"board"_s, u"X-1"_s)
                + QStringList{"txtCommand=SetBit", "cmbValueType=#5", "txtParameter=3", "cmdExecute",
                              "txtCommand=GetIO", "cmbValueType=#0", "cmdExecute"});
    QVERIFY(add(io, PanelKind::Variable, u"@IO"_s, {}, varBoxes));
    act(io, {"cmdGetNames", "cmdVarClear"});
    QVERIFY(add(io, PanelKind::Variable, u"@Executions"_s, {}, varBoxes));

    // ---- commands: Sum runs at once; Slow is cancelled while it runs --------------------------------------
    PanelBase *sum = add(c, PanelKind::Command, u"Sum"_s, u"Duration=0"_s);
    PanelBase *slow = add(c, PanelKind::Command, u"Slow"_s, u"Duration=600000"_s);
    QVERIFY(sum && slow);
    act(sum, QStringList{"cmdGetCmdName", "cmdGetAttribute", "cmdGetHelp"} + tagAndId(u"adder"_s, u"C-1"_s)
                 + QStringList{"txtPutTimeout=5000", "cmdPutTimeout", "cmdGetTimeout", "cmdGetState",
                               "cmbValueType=#16", "txtPutParameter=1,2,3.5", "cmdPutParameter", "cmdGetParameter",
                               "txtExecuteMode=0", "cmdExecute", "cmdGetResult"});
    act(slow, {"txtExecuteMode=1", "cmdExecute", "cmdCancel", "cmdGetState"});

    // ---- RC2: one member of each kind, then every collection cleared --------------------------------
    QList<PanelBase *> cleared;
    for (const ControllerPage &page : kControllerPages) {
        cleared << add(c2, page.kind, page.kind == PanelKind::File ? u"readme.txt"_s : u"M%1"_s.arg(cleared.size()));
        QVERIFY(cleared.last());
    }
    for (const ControllerPage &page : kControllerPages)
        act(c2, {QLatin1String(page.clear)});

    // ---- removals by Delete -----------------------------------------------------------------------------
    act(v2, {"cmdVarDelete"});
    act(gone, {"cmdFileDelete"});
    act(extra, {"cmdTaskDelete"});
    act(slow, {"cmdCmdDelete"});
    PanelBase *spare = add(c, PanelKind::Robot, u"Spare"_s);
    PanelBase *spareExt = add(c, PanelKind::Extension, u"Aux"_s);
    QVERIFY(spare && spareExt);
    act(spare, {"cmdRoboDelete"});
    act(spareExt, {"cmdExtDelete"});
    act(cleared[0], {"cmdVarDelete"}); // left its collection with the Clear: no Remove
    act(c3, {"cmdCtrlDelete"});

    // Every call of the session succeeded.
    for (const QString &line : run.logMessages())
        QVERIFY2(!line.startsWith(QLatin1String("Failed.")), qPrintable(line));
    QVERIFY(!QTest::currentTestFailed());
}
