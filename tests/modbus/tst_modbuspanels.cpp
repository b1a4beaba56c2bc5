// Zel.Modbus through the real widgets: the workspace panel connects a controller of the provider
// against zelmodbus-sim, the variable panel reads and writes registers and coils with the exact
// log lines, a watched value's change arrives in the controller's message list, the capability
// definition examples/zel-modbus.xml disables what a Modbus device cannot do, and a recorded
// session replays with zelscript against the simulator and against pymodbus.
#include "modbustest.h"

#include "testsupport.h"

#include <QComboBox>
#include <QListWidget>

using namespace modbustest;

namespace {

// Adds a controller on the built-in workspace's panel as the user does.
PanelBase *addModbusController(TestRun &run, const QString &name, const QString &machine, const QString &option, bool eventsOff)
{
    PanelBase *ws = run.panel(4);
    ws->findChild<QComboBox *>(u"cmbController"_s)->setEditText(name);
    ws->findChild<QComboBox *>(u"cmbProvider"_s)->setEditText(u"Zel.Modbus"_s);
    fill(ws, {u"txtMachine="_s + machine, u"txtOption="_s + option, eventsOff ? u"chkOnMessage=1"_s : u"chkOnMessage=0"_s});
    clickButton(ws, u"cmdOpen"_s);
    return run.lastPanel(PanelKind::Controller);
}

// The session of examples/cell-session.vbs, against the simulator of examples/cell.map.
void recordCellSession(TestRun &run, const QString &machine)
{
    PanelBase *ctrl = addModbusController(run, u"cell"_s, machine, QString(), true);
    QVERIFY(ctrl);
    PanelBase *speed = addMember(run, ctrl, PanelKind::Variable, u"Speed"_s, u"@Table=holding,@Address=0"_s);
    fill(speed, {u"cmbValueType=4"_s, u"txtPutValue=250"_s});
    clickButton(speed, u"cmdPutValue"_s);
    clickButton(speed, u"cmdGetValue"_s);
    PanelBase *conveyor = addMember(run, ctrl, PanelKind::Variable, u"Conveyor"_s, u"@Table=coil,@Address=0"_s);
    fill(conveyor, {u"cmbValueType=2"_s, u"txtPutValue=True"_s});
    clickButton(conveyor, u"cmdPutValue"_s);
    clickButton(conveyor, u"cmdGetValue"_s);
    PanelBase *outputs = addMember(run, ctrl, PanelKind::Extension, u"Outputs"_s, u"@Table=coil,@Address=16,@Count=16"_s);
    fill(outputs, {u"txtCommand=SetBit"_s, u"cmbValueType=5"_s, u"txtParameter=3"_s});
    clickButton(outputs, u"cmdExecute"_s);
    PanelBase *raw = addMember(run, ctrl, PanelKind::Command, u"ReadSpeed"_s);
    fill(raw, {u"cmbValueType=12"_s, u"txtPutParameter=3,0,0,0,1"_s, u"txtExecuteMode=0"_s});
    clickButton(raw, u"cmdPutParameter"_s);
    clickButton(raw, u"cmdExecute"_s);
    clickButton(raw, u"cmdGetResult"_s);
}

QString exportScript(TestRun &run)
{
    const QString path = run.appDir() + u"session.vbs"_s;
    onNextModal([&](QWidget *modal) { acceptFileDialog(modal, path); });
    run.mdi()->findChild<QAction *>(u"mnuFileItem_1"_s)->trigger();
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// Runs zelscript on a script text; returns its exit status and output.
int replay(const QString &dir, const QString &script, QString *output)
{
    const QString path = dir + u"/replay.vbs"_s;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return -1;
    f.write(script.toUtf8());
    f.close();
    QProcess p;
    p.start(QStringLiteral(ZELSCRIPT_EXE), {path});
    if (!p.waitForFinished(30000))
        return -1;
    *output = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    return p.exitCode();
}

} // namespace

class TestModbusPanels : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    Simulator m_sim;

private Q_SLOTS:
    void initTestCase()
    {
        registerOnce();
        QVERIFY(m_sim.startTcp(examplePath(u"cell.map"_s)));
    }

    void connectReadWriteAndWatch()
    {
        TestRun run;
        auto *providers = run.panel(4)->findChild<QComboBox *>(u"cmbProvider"_s);
        QCOMPARE(providers->count(), 2);
        QCOMPARE(providers->itemText(1), u"Zel.Modbus"_s);
        QCOMPARE(providers->currentText(), u"Zel.Virtual"_s);

        const QString map = examplePath(u"cell.map"_s);
        const QString option = u"@Map=%1,@PollInterval=20"_s.arg(map);
        qsizetype mark = run.logMark();
        PanelBase *ctrl = addModbusController(run, u"cell"_s, m_sim.machine(), option, false);
        QCOMPARE(run.logSince(mark), (QStringList{u"Wss(\"Default\").AddController(\"cell\", \"Zel.Modbus\", \"%1\", \"@EventDisable=false,%2\")"_s
                                                       .arg(m_sim.machine(), option),
                                                   u"Succeeded."_s}));
        const QString P = ctrl->m_LogObjPath;

        // Registers: the type comes back with the value; a put is converted to the place's type.
        PanelBase *speed = addMember(run, ctrl, PanelKind::Variable, u"Speed"_s);
        const QString V = speed->m_LogObjPath;
        QCOMPARE(run.click(speed, u"cmdGetValue"_s), (QStringList{V + u".get_Value()"_s, u"Succeeded. (<2,120>)"_s}));
        QCOMPARE(textOf(speed, u"txtGetValue"_s), u"120"_s);
        QCOMPARE(speed->findChild<QComboBox *>(u"cmbValueType"_s)->currentText(), u"I2"_s);
        fill(speed, {u"cmbValueType=5"_s, u"txtPutValue=135"_s});
        QCOMPARE(run.click(speed, u"cmdPutValue"_s), (QStringList{V + u".put_Value(<3,135>)"_s, u"Succeeded."_s}));
        QCOMPARE(run.click(speed, u"cmdGetValue"_s), (QStringList{V + u".get_Value()"_s, u"Succeeded. (<2,135>)"_s}));
        fill(speed, {u"cmbValueType=5"_s, u"txtPutValue=70000"_s});
        QCOMPARE(run.click(speed, u"cmdPutValue"_s),
                 (QStringList{V + u".put_Value(<3,70000>)"_s, u"Failed. (0x8004A101: put_Value: Speed: 70000 does not fit I2 (-32768 to 32767))"_s}));
        QCOMPARE(run.click(speed, u"cmdGetHelp"_s).value(1),
                 u"Succeeded. (\"Variable Speed of ZelController cell: Conveyor speed in mm/s (holding register 0 (I2) of unit 1 at 127.0.0.1 port %1)\")"_s
                     .arg(m_sim.port()));

        // The change of the watched Speed arrived as a message.
        auto *messages = ctrl->findChild<QListWidget *>(u"lstMessage"_s);
        QTRY_VERIFY_WITH_TIMEOUT(messages->count() >= 1, 5000);
        QVERIFY2(messages->item(0)->text().endsWith(u"; Speed"_s), qPrintable(messages->item(0)->text()));
        QVERIFY(run.logMessages().contains(P + u".OnMessage(1)"_s));

        // Coils and an input register; writes to input registers are refused.
        PanelBase *lamps = addMember(run, ctrl, PanelKind::Variable, u"Lamps"_s);
        const QString L = lamps->m_LogObjPath;
        QCOMPARE(run.click(lamps, u"cmdGetValue"_s), (QStringList{L + u".get_Value()"_s, u"Succeeded. (<8203,False,False,True>)"_s}));
        fill(lamps, {u"cmbValueType=11"_s, u"txtPutValue=True,False,False"_s});
        QCOMPARE(run.click(lamps, u"cmdPutValue"_s), (QStringList{L + u".put_Value(<8203,True,False,False>)"_s, u"Succeeded."_s}));
        QCOMPARE(run.click(lamps, u"cmdGetValue"_s).value(1), u"Succeeded. (<8203,True,False,False>)"_s);
        PanelBase *temp = addMember(run, ctrl, PanelKind::Variable, u"Temperature"_s);
        QCOMPARE(run.click(temp, u"cmdGetValue"_s).value(1), u"Succeeded. (<4,176.25>)"_s);
        QCOMPARE(run.click(temp, u"cmdGetAttr"_s).value(1), u"Succeeded. (1)"_s);
        fill(temp, {u"cmbValueType=6"_s, u"txtPutValue=1"_s});
        QCOMPARE(run.click(temp, u"cmdPutValue"_s).value(1),
                 u"Failed. (0x8004A004: put_Value: Temperature is input register 0 (R4, big word order); input registers are read-only)"_s);

        // Robots are not a Modbus device's; the names list offers the map.
        const int robotPage = controllerPage(PanelKind::Robot);
        ctrl->findChild<QTabWidget *>(u"tabController"_s)->setCurrentIndex(robotPage);
        fill(ctrl, {u"txtName_1=Arm"_s});
        QCOMPARE(run.click(ctrl, u"cmdGetRobot"_s),
                 (QStringList{P + u".AddRobot(\"Arm\", \"\")"_s, u"Failed. (0x8004A217: AddRobot: the provider Zel.Modbus has no robots)"_s}));
        ctrl->findChild<QTabWidget *>(u"tabController"_s)->setCurrentIndex(0);
        fill(ctrl, {u"txtVarNamesOption=Filter=[A-Z]*"_s});
        run.click(ctrl, u"cmdGetNames_0"_s);
        auto *names = ctrl->findChild<QListWidget *>(u"lstNames_0"_s);
        QCOMPARE(names->count(), 13);
        QCOMPARE(names->item(0)->text(), u"Conveyor"_s);
    }

    // The capability definition disables what a Modbus device cannot do.
    void capabilityDefinition()
    {
        TestRun run;
        loadDefinition(run, examplePath(u"zel-modbus.xml"_s));
        PanelBase *ctrl = addModbusController(run, u"cell"_s, m_sim.machine(), QString(), true);
        QVERIFY(ctrl);
        QCOMPARE(ownDisabled(ctrl, {u"cmdGetNames_0"_s, u"cmdGetNames_1"_s, u"cmdGetNames_2"_s, u"cmdGetNames_3"_s, u"cmdGetNames_4"_s,
                                    u"cmdGetNames_5"_s, u"cmdGetMsg"_s, u"cmdExecute"_s}),
                 (QStringList{u"cmdGetNames_1"_s, u"cmdGetNames_2"_s, u"cmdGetNames_3"_s}));
        PanelBase *v = addMember(run, ctrl, PanelKind::Variable, u"Speed"_s, u"@Table=holding,@Address=0"_s);
        QVERIFY(ownDisabled(v, {u"cmdGetValue"_s, u"cmdPutValue"_s, u"cmdGetDateTime"_s}).isEmpty());
        PanelBase *cmd = addMember(run, ctrl, PanelKind::Command, u"Raw"_s);
        QVERIFY(ownDisabled(cmd, {u"cmdExecute"_s, u"cmdPutParameter"_s, u"cmdCancel"_s}).isEmpty());
        QVERIFY(!child<QWidget>(cmd, u"txtPutParameter"_s)->toolTip().isEmpty());
    }

    // A recorded session replays with zelscript against the simulator and against pymodbus, and
    // is the session shipped as examples/cell-session.vbs.
    void recordAndReplay()
    {
        TestRun run;
        recordCellSession(run, m_sim.machine());
        for (const QString &line : run.logMessages())
            QVERIFY2(!line.startsWith(u"Failed."_s), qPrintable(line));
        const QString script = exportScript(run);
        QVERIFY(script.contains(u"Call zel.AddController(\"cell\", \"Zel.Modbus\", \"%1\", \"@EventDisable=true\")"_s.arg(m_sim.machine())));

        if (qEnvironmentVariableIsSet("ZEL_WRITE_EXAMPLE")) {
            QFile out(qEnvironmentVariable("ZEL_WRITE_EXAMPLE"));
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(QString(script).replace(m_sim.machine(), u"127.0.0.1:1502"_s).toUtf8());
        }
        QFile example(examplePath(u"cell-session.vbs"_s));
        QVERIFY(example.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(example.readAll()).replace(u"127.0.0.1:1502"_s, m_sim.machine()), script);

        QString simOutput;
        QCOMPARE(replay(m_dir.path(), script, &simOutput), 0);
        const QStringList lines = simOutput.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2 * script.count(u"\tdbg.output \"["_s));
        QVERIFY2(lines.contains(u"Succeeded. (<2,250>)"_s), qPrintable(simOutput));
        QVERIFY2(lines.contains(u"Succeeded. (<8209,3,2,0,250>)"_s), qPrintable(simOutput));

        PyServer py;
        QVERIFY(py.startTcp());
        QString pyOutput;
        QCOMPARE(replay(m_dir.path(), QString(script).replace(m_sim.machine(), py.machine()), &pyOutput), 0);
        QCOMPARE(pyOutput, QString(simOutput).replace(m_sim.machine(), py.machine()));
        QCOMPARE(py.command(u"get co 16 4"_s), u"0 0 0 1"_s);
    }
};

QTEST_MAIN(TestModbusPanels)
#include "tst_modbuspanels.moc"
