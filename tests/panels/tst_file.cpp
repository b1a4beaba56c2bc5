#include "testsupport.h"

#include "panels/frmFile.h"
#include "zel/errors.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QTabBar>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTreeWidgetItem>

using zel::CallKind;
using zel::Value;

namespace {

const QString Q = QStringLiteral("\"");

// Adds a controller through the workspace panel, with a capability definition when one is given.
PanelBase *addController(TestRun &run, const QString &definition = QString())
{
    PanelBase *ws = run.panel(4);
    if (!definition.isEmpty()) {
        setText(ws, QStringLiteral("txtDCFile"), definition);
        clickButton(ws, QStringLiteral("cmdDCLoad"));
    }
    ws->findChild<QComboBox *>(QStringLiteral("cmbController"))->setEditText(QStringLiteral("RC1"));
    clickButton(ws, QStringLiteral("cmdOpen"));
    return run.lastPanel(PanelKind::Controller);
}

// Opens the panel of a file of the controller, as the controller's Add does.
frmFile *openFile(PanelBase *ctrl, const QString &name, const QString &option = QString())
{
    zel::ObjectPtr file = ctrl->m_ZelObj->invoke(QStringLiteral("AddFile"), CallKind::Method,
                                                 {Value::fromString(name), Value::fromString(option)}).objectValue();
    zel::ObjectPtr files = ctrl->m_ZelObj->invoke(QStringLiteral("Files"), CallKind::PropertyGet, {}).objectValue();
    ksf::EntryPtr entry = ctrl->m_KSFObj ? ctrl->m_KSFObj->addMember(ksf::File, name) : nullptr;
    ksf::EntryPtr capability = ctrl->m_DCEntry ? ctrl->m_DCEntry->findMemberOrDefault(ksf::File, name) : nullptr;
    auto *p = qobject_cast<frmFile *>(ctrl->createMemberPanel(PanelKind::File, file, files, entry, capability));
    if (p)
        p->showPanel();
    return p;
}

QString scriptBlock(PanelBase *p, const QString &member, int retType, int style, const QString &arg = QString())
{
    return clsScriptGen::ScriptBlock(p->m_CsrObjPath + member, retType, style, arg);
}

Value engineValue(PanelBase *p, const char *member)
{
    return p->m_ZelObj->invoke(QLatin1String(member), CallKind::PropertyGet, {});
}

// A file whose content reads as a number, which no real file does.
class NumberFile : public zel::Object {
public:
    QString className() const override { return QStringLiteral("ZelFile"); }
    Value invoke(const QString &member, CallKind kind, const QList<Value> &args) override
    {
        if (member == QLatin1String("Name"))
            return Value::fromString(QStringLiteral("counter.bin"));
        if (member == QLatin1String("Value") && kind == CallKind::PropertyGet)
            return Value::fromI4(42);
        if (member == QLatin1String("Value")) {
            written = args.last();
            ++writes;
            return Value();
        }
        if (member == QLatin1String("Index"))
            return Value::fromI4(-1);
        throw zel::ZelError(zel::E_UNKNOWN_MEMBER, member);
    }
    Value written;
    int writes = 0;
};

// Enabled in itself, whatever its page says.
// The access keys of the controls that take input now; a key that two of them carry.
QStringList duplicateAccessKeys(QWidget *panel)
{
    QHash<QString, int> seen;
    QStringList twice;
    auto note = [&](const QString &text) {
        const QString key = QKeySequence::mnemonic(text).toString();
        if (!key.isEmpty() && ++seen[key] == 2)
            twice << key;
    };
    for (QWidget *w : panel->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(panel) || !w->isEnabled())
            continue;
        if (auto *b = qobject_cast<QAbstractButton *>(w))
            note(b->text());
        else if (auto *l = qobject_cast<QLabel *>(w); l && l->buddy())
            note(l->text());
        else if (auto *g = qobject_cast<QGroupBox *>(w))
            note(g->title());
        else if (auto *bar = qobject_cast<QTabBar *>(w)) {
            for (int i = 0; i < bar->count(); ++i)
                note(bar->tabText(i));
        }
    }
    return twice;
}

bool ownEnabled(QWidget *w)
{
    return w && !w->testAttribute(Qt::WA_ForceDisabled);
}

QString lf(QString crlf)
{
    return crlf.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

class TestFilePanel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void hexDumpOfTwentyBytes()
    {
        TestRun run;
        frmFile *p = openFile(addController(run), QStringLiteral("logo.bin"));
        QVERIFY(p);
        const QString P = p->m_LogObjPath;
        QVERIFY(P.endsWith(QStringLiteral(".Files(\"logo.bin\")")));
        const Value bytes = engineValue(p, "Value");

        qsizetype mark = run.logMark();
        clickButton(p, QStringLiteral("cmdGetValue"));
        const QString dump = QStringLiteral("00 01 02 03 04 05 06 07   08 09 0A 0B 0C 0D 0E 0F \r\n10 11 12 13 ");
        QCOMPARE(frmFile::hexDump(bytes.arrayValue()), dump);
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".get_Value()"), QStringLiteral("Data Type:Binary"),
                                                  QStringLiteral("Succeeded. (<") + clsLogMsg::LogText(bytes) + QStringLiteral(">)")}));
        QCOMPARE(textOf(p, QStringLiteral("txtValue")), lf(dump));
        QVERIFY(child<QRadioButton>(p, QStringLiteral("optSendType_1"))->isChecked());
        QVERIFY(run.state().script.body().endsWith(scriptBlock(p, QStringLiteral(".Value"), 12, 1)));
        QCOMPARE(p->lastReadValue(), bytes);
    }

    void hexDumpStopsAfter1024Bytes()
    {
        TestRun run;
        frmFile *p = openFile(addController(run), QStringLiteral("big.dat"));
        clickButton(p, QStringLiteral("cmdGetValue"));
        const QString dump = frmFile::hexDump(engineValue(p, "Value").arrayValue());
        const QStringList lines = dump.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 65); // 64 lines, each ended by a break
        QVERIFY(lines.last().isEmpty());
        QCOMPARE(lines[1], QStringLiteral("10 11 12 13 14 15 16 17   18 19 1A 1B 1C 1D 1E 1F "));
        QCOMPARE(lines[63], QStringLiteral("F0 F1 F2 F3 F4 F5 F6 F7   F8 F9 FA FB FC FD FE FF "));
        QCOMPARE(dump.count(QLatin1Char(' ')), 1024 + 64 * 2);
        QCOMPARE(textOf(p, QStringLiteral("txtValue")), lf(dump));

        // Exactly 16 bytes end without a break (the last byte is the array's last) but with the
        // group spaces of a sixteenth byte.
        zel::Array sixteen;
        sixteen.elementType = zel::VT_UI1;
        for (int i = 0; i < 16; ++i)
            sixteen.items << Value::fromUI1(quint8(255 - i));
        QCOMPARE(frmFile::hexDump(sixteen), QStringLiteral("FF FE FD FC FB FA F9 F8   F7 F6 F5 F4 F3 F2 F1 F0   "));
        QCOMPARE(frmFile::hexDump(zel::Array{zel::VT_UI1, 0, {}}), QString());
    }

    void textContentReadAndWritten()
    {
        TestRun run;
        frmFile *p = openFile(addController(run), QStringLiteral("readme.txt"));
        const QString P = p->m_LogObjPath;
        p->m_ZelObj->invoke(QStringLiteral("Value"), CallKind::PropertyPut, {Value::fromString(QStringLiteral("a, b,  c"))});
        child<QRadioButton>(p, QStringLiteral("optSendType_1"))->setChecked(true);
        qsizetype mark = run.logMark();
        clickButton(p, QStringLiteral("cmdGetValue"));
        const Value text = engineValue(p, "Value");
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".get_Value()"), QStringLiteral("Data Type:Text"),
                                                  QStringLiteral("Succeeded. (<") + clsLogMsg::LogText(text) + QStringLiteral(">)")}));
        QCOMPARE(textOf(p, QStringLiteral("txtValue")), text.stringValue());
        QVERIFY(child<QRadioButton>(p, QStringLiteral("optSendType_0"))->isChecked());

        QCOMPARE(textOf(p, QStringLiteral("txtValue")), QStringLiteral("a, b,  c"));
        child<QPlainTextEdit>(p, QStringLiteral("txtValue"))->setPlainText(QStringLiteral("first line"));
        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdPutValue"));
        const Value sent = Value::fromString(QStringLiteral("first line"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".put_Value(<") + clsLogMsg::LogText(sent) + QStringLiteral(">)"),
                                                  QStringLiteral("Succeeded.")}));
        QVERIFY(run.state().script.body().endsWith(scriptBlock(p, QStringLiteral(".Value"), -1, 0, clsScriptGen::Variant2Script(sent))));
        QCOMPARE(engineValue(p, "Value"), sent);
    }

    void binaryPutBeforeAndAfterARead()
    {
        TestRun run;
        PanelBase *ctrl = addController(run);
        frmFile *p = openFile(ctrl, QStringLiteral("logo.bin"));
        const QString P = p->m_LogObjPath;
        const Value original = engineValue(p, "Value");

        // Nothing read yet: Binary sends the empty value, which the file refuses.
        child<QRadioButton>(p, QStringLiteral("optSendType_1"))->setChecked(true);
        qsizetype mark = run.logMark();
        clickButton(p, QStringLiteral("cmdPutValue"));
        QStringList lines = run.logSince(mark);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], P + QStringLiteral(".put_Value(<") + clsLogMsg::LogText(Value()) + QStringLiteral(">)"));
        QVERIFY2(lines[1].startsWith(QStringLiteral("Failed. (0x")), qPrintable(lines[1]));
        QCOMPARE(engineValue(p, "Value"), original);

        // After a read the bytes read go back, whatever the box holds.
        clickButton(p, QStringLiteral("cmdGetValue"));
        child<QPlainTextEdit>(p, QStringLiteral("txtValue"))->setPlainText(QStringLiteral("not these"));
        ctrl->m_ZelObj->invoke(QStringLiteral("AddFile"), CallKind::Method, {Value::fromString(QStringLiteral("logo.bin"))})
            .objectValue()
            ->invoke(QStringLiteral("Value"), CallKind::PropertyPut, {Value::fromString(QStringLiteral("changed"))});
        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdPutValue"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".put_Value(<") + clsLogMsg::LogText(original) + QStringLiteral(">)"),
                                                  QStringLiteral("Succeeded.")}));
        QVERIFY(run.state().script.body().endsWith(
            scriptBlock(p, QStringLiteral(".Value"), -1, 0, clsScriptGen::Variant2Script(original))));
        QCOMPARE(engineValue(p, "Value"), original);

        // Text sends the box.
        child<QRadioButton>(p, QStringLiteral("optSendType_0"))->setChecked(true);
        clickButton(p, QStringLiteral("cmdPutValue"));
        QCOMPARE(engineValue(p, "Value"), Value::fromString(QStringLiteral("not these")));
    }

    void contentOfAnotherTypeIsAPlainFailure()
    {
        TestRun run;
        PanelBase *ctrl = addController(run);
        auto fake = std::make_shared<NumberFile>();
        auto *p = qobject_cast<frmFile *>(ctrl->createMemberPanel(PanelKind::File, fake, nullptr, nullptr, nullptr));
        QVERIFY(p);
        const QString P = p->m_LogObjPath;
        QCOMPARE(P, ctrl->m_LogObjPath + QStringLiteral(".Files(\"counter.bin\")"));
        child<QPlainTextEdit>(p, QStringLiteral("txtValue"))->setPlainText(QStringLiteral("kept"));

        qsizetype mark = run.logMark();
        QString before = run.state().script.body();
        p->runOperation(QStringLiteral("cmdGetValue"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".get_Value()"), QStringLiteral("Failed.")}));
        QCOMPARE(run.state().script.body(), before + scriptBlock(p, QStringLiteral(".Value"), 12, 1));
        QCOMPARE(textOf(p, QStringLiteral("txtValue")), QStringLiteral("kept"));
        QVERIFY(child<QRadioButton>(p, QStringLiteral("optSendType_0"))->isChecked());

        // The number is still the last read value: Binary writes it back.
        QCOMPARE(p->lastReadValue(), Value::fromI4(42));
        child<QRadioButton>(p, QStringLiteral("optSendType_1"))->setChecked(true);
        mark = run.logMark();
        p->runOperation(QStringLiteral("cmdPutValue"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".put_Value(<") + clsLogMsg::LogText(Value::fromI4(42)) + QStringLiteral(">)"),
                                                  QStringLiteral("Succeeded.")}));
        QCOMPARE(fake->writes, 1);
        QCOMPARE(fake->written, Value::fromI4(42));
    }

    void propertyLinesQuoteNumbersAndDates()
    {
        TestRun run;
        frmFile *p = openFile(addController(run), QStringLiteral("logo.bin"));
        const QString P = p->m_LogObjPath;
        struct Case {
            const char *button, *box, *request, *script;
            int retType;
        } cases[] = {
            {"cmdGetFileName", "txtFileName", ".get_Name()", ".Name", 8},
            {"cmdGetPath", "txtPath", ".get_Path()", ".Path", 8},
            {"cmdGetSize", "txtSize", ".get_Size()", ".Size", 3},
            {"cmdGetType", "txtType", ".get_Type()", ".Type", 8},
            {"cmdGetAttribute", "txtAttribute", ".get_Attribute()", ".Attribute", 3},
            {"cmdGetCreated", "txtCreated", ".get_DateCreated()", ".DateCreated", 12},
            {"cmdGetLastAccessed", "txtLastAccessed", ".get_DateLastAccessed()", ".DateLastAccessed", 12},
            {"cmdGetLastModified", "txtLastModified", ".get_DateLastModified()", ".DateLastModified", 12},
            {"cmdGetHelp", "txtHelp", ".get_Help()", ".Help", 8},
        };
        for (const Case &c : cases) {
            qsizetype mark = run.logMark();
            clickButton(p, QLatin1String(c.button));
            const QString shown = textOf(p, QLatin1String(c.box));
            QVERIFY2(!shown.isEmpty(), c.box);
            QCOMPARE(run.logSince(mark), (QStringList{P + QLatin1String(c.request), QStringLiteral("Succeeded. (") + Q + shown + Q + QStringLiteral(")")}));
            QVERIFY(run.state().script.body().endsWith(scriptBlock(p, QLatin1String(c.script), c.retType, 1)));
        }
        QCOMPARE(textOf(p, QStringLiteral("txtSize")), QStringLiteral("20"));
        QCOMPARE(textOf(p, QStringLiteral("txtPath")), QStringLiteral("/logo.bin"));
        QCOMPARE(textOf(p, QStringLiteral("txtAttribute")), QStringLiteral("32"));
        QVERIFY(textOf(p, QStringLiteral("txtCreated")).contains(QLatin1Char('/')));

        setText(p, QStringLiteral("txtPutTag"), QStringLiteral("12"));
        clickButton(p, QStringLiteral("cmdPutTag"));
        qsizetype mark = run.logMark();
        clickButton(p, QStringLiteral("cmdGetTag"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".get_Tag()"),
                                                  QStringLiteral("Succeeded. (<") + clsLogMsg::LogText(Value::fromString(QStringLiteral("12"))) + QStringLiteral(">)")}));
        QCOMPARE(textOf(p, QStringLiteral("txtGetTag")), QStringLiteral("12"));
    }

    void fileOperations()
    {
        TestRun run;
        PanelBase *ctrl = addController(run);
        frmFile *program = openFile(ctrl, QStringLiteral("Main.pgm"));
        auto *ops = child<QTabWidget>(program, QStringLiteral("tabOperation"));
        QCOMPARE(ops->currentIndex(), 3);
        QCOMPARE(ops->tabText(3), QStringLiteral("&Execute"));
        QVERIFY(child<QWidget>(program, QStringLiteral("picOpeFrame_3"))->isEnabled());
        for (int i = 0; i < 3; ++i)
            QVERIFY(!child<QWidget>(program, QStringLiteral("picOpeFrame_%1").arg(i))->isEnabled());

        // Run: the task name comes back quoted.
        ops->setCurrentIndex(2);
        QVERIFY(!child<QWidget>(program, QStringLiteral("picOpeFrame_3"))->isEnabled());
        setText(program, QStringLiteral("txtRunOption"), QStringLiteral("Mode=1"));
        qsizetype mark = run.logMark();
        clickButton(program, QStringLiteral("cmdRun"));
        QCOMPARE(run.logSince(mark), (QStringList{program->m_LogObjPath + QStringLiteral(".Run(\"Mode=1\")"),
                                                  QStringLiteral("Succeeded. (\"Main\")")}));
        QCOMPARE(textOf(program, QStringLiteral("txtTaskName")), QStringLiteral("Main"));
        QVERIFY(run.state().script.body().endsWith(scriptBlock(program, QStringLiteral(".Run"), -1, 2, QStringLiteral("\"Mode=1\""))));

        // Execute records no result and ignores the type list's enabling rule.
        frmFile *readme = openFile(ctrl, QStringLiteral("readme.txt"));
        const QString P = readme->m_LogObjPath;
        auto *types = child<QComboBox>(readme, QStringLiteral("cmbValueType"));
        types->setCurrentIndex(21);
        QVERIFY(child<QWidget>(readme, QStringLiteral("cmdExecute"))->isEnabled());
        QVERIFY(child<QWidget>(readme, QStringLiteral("txtExeParameter"))->isEnabled());
        types->setCurrentIndex(0);
        setText(readme, QStringLiteral("txtExeCommand"), QStringLiteral("LineCount"));
        mark = run.logMark();
        clickButton(readme, QStringLiteral("cmdExecute"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".Execute(\"LineCount\", <") + clsLogMsg::LogText(Value()) + QStringLiteral(">)"),
                                                  QStringLiteral("Succeeded. (<") + clsLogMsg::LogText(Value::fromI4(2)) + QStringLiteral(">)")}));
        QCOMPARE(textOf(readme, QStringLiteral("txtResult")), QStringLiteral("2 (I4)"));
        QVERIFY(run.state().script.body().endsWith(
            scriptBlock(readme, QStringLiteral(".Execute"), -1, 2, QStringLiteral("\"LineCount\", ") + clsScriptGen::Variant2Script(Value()))));

        // Copy, Move and Delete pass their texts in quotes.
        auto *readmeOps = child<QTabWidget>(readme, QStringLiteral("tabOperation"));
        readmeOps->setCurrentIndex(0);
        setText(readme, QStringLiteral("txtDestinationFile"), QStringLiteral("/Data"));
        mark = run.logMark();
        clickButton(readme, QStringLiteral("cmdCopy"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".Copy(\"/Data\", \"\")"), QStringLiteral("Succeeded.")}));
        QVERIFY(run.state().script.body().endsWith(scriptBlock(readme, QStringLiteral(".Copy"), -1, 2, QStringLiteral("\"/Data\", \"\""))));
        setText(readme, QStringLiteral("txtDestinationFile"), QStringLiteral("/Data/notes.txt"));
        setText(readme, QStringLiteral("txtCopyMoveOption"), QStringLiteral("Overwrite=true"));
        mark = run.logMark();
        clickButton(readme, QStringLiteral("cmdMove"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".Move(\"/Data/notes.txt\", \"Overwrite=true\")"), QStringLiteral("Succeeded.")}));
        QCOMPARE(engineValue(readme, "Path"), Value::fromString(QStringLiteral("/Data/notes.txt")));

        readmeOps->setCurrentIndex(1);
        mark = run.logMark();
        clickButton(readme, QStringLiteral("cmdDelete"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".Delete(\"\")"), QStringLiteral("Succeeded.")}));
        QVERIFY(run.state().script.body().endsWith(scriptBlock(readme, QStringLiteral(".Delete"), -1, 2, QStringLiteral("\"\""))));
        // The panel, its node and the object stay; the file's calls now fail.
        QVERIFY(!readme->isUnloaded());
        QCOMPARE(run.panel(readme->m_FormID), readme);
        mark = run.logMark();
        clickButton(readme, QStringLiteral("cmdGetPath"));
        QVERIFY(run.logSince(mark).value(1).startsWith(QStringLiteral("Failed. (0x")));
        // Another page's texts survive page changes.
        readmeOps->setCurrentIndex(0);
        QCOMPARE(textOf(readme, QStringLiteral("txtDestinationFile")), QStringLiteral("/Data/notes.txt"));
    }

    void membersOnTwoPages()
    {
        TestRun run;
        PanelBase *ctrl = addController(run);
        frmFile *folder = openFile(ctrl, QStringLiteral("Programs"));
        const QString P = folder->m_LogObjPath;
        auto *members = child<QTabWidget>(folder, QStringLiteral("tabAddObj"));
        QCOMPARE(members->currentIndex(), 0);
        QCOMPARE(members->tabText(0), QStringLiteral(" Va&riable"));
        QVERIFY(!child<QWidget>(folder, QStringLiteral("picAddFrame_1"))->isEnabled());

        // File names fill only the second list; a click copies the name into the Add box.
        members->setCurrentIndex(1);
        QVERIFY(!child<QWidget>(folder, QStringLiteral("picAddFrame_0"))->isEnabled());
        qsizetype mark = run.logMark();
        clickButton(folder, QStringLiteral("cmdGetNames_1"));
        QCOMPARE(run.logSince(mark).value(0), P + QStringLiteral(".FileNames(\"\")"));
        QVERIFY(run.state().script.body().endsWith(scriptBlock(folder, QStringLiteral(".FileNames"), 12, 1, QStringLiteral("\"\""))));
        auto *files = child<QListWidget>(folder, QStringLiteral("lstNames_1"));
        QCOMPARE(files->count(), 2);
        QCOMPARE(child<QListWidget>(folder, QStringLiteral("lstNames_0"))->count(), 0);
        QListWidgetItem *sub = files->findItems(QStringLiteral("Sub.pgm"), Qt::MatchExactly).value(0);
        QVERIFY(sub);
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualItemRect(sub).center());
        QCOMPARE(textOf(folder, QStringLiteral("txtName_1")), QStringLiteral("Sub.pgm"));
        QCOMPARE(textOf(folder, QStringLiteral("txtName_0")), QString());

        // A file panel opens a file panel below itself.
        mark = run.logMark();
        clickButton(folder, QStringLiteral("cmdGetFile"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".AddFile(\"Sub.pgm\", \"\")"), QStringLiteral("Succeeded.")}));
        QVERIFY(run.state().script.body().endsWith(scriptBlock(folder, QStringLiteral(".AddFile"), 9, 2, QStringLiteral("\"Sub.pgm\", \"\""))));
        auto *subPanel = qobject_cast<frmFile *>(run.lastPanel(PanelKind::File));
        QVERIFY(subPanel && subPanel != folder);
        QCOMPARE(subPanel->m_LogObjPath, P + QStringLiteral(".Files(\"Sub.pgm\")"));
        QCOMPARE(subPanel->m_CsrObjPath, folder->m_CsrObjPath + QStringLiteral(".Files(\"Sub.pgm\")"));
        QCOMPARE(subPanel->m_TreeNode->parent(), folder->m_TreeNode);
        QCOMPARE(subPanel->windowTitle(), QStringLiteral("File - Sub.pgm"));
        QVERIFY(folder->m_KSFObj->findMember(ksf::File, QStringLiteral("Sub.pgm")));

        // Its variables go on the first page.
        members->setCurrentIndex(0);
        setText(folder, QStringLiteral("txtName_0"), QStringLiteral("Count"));
        mark = run.logMark();
        clickButton(folder, QStringLiteral("cmdGetVariable"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".AddVariable(\"Count\", \"\")"), QStringLiteral("Succeeded.")}));
        PanelBase *var = run.lastPanel(PanelKind::Variable);
        QVERIFY(var);
        QCOMPARE(var->m_LogObjPath, P + QStringLiteral(".Vars(\"Count\")"));
        QCOMPARE(var->m_TreeNode->parent(), folder->m_TreeNode);
        clickButton(folder, QStringLiteral("cmdGetNames_0"));
        QVERIFY(child<QListWidget>(folder, QStringLiteral("lstNames_0"))->findItems(QStringLiteral("Count"), Qt::MatchExactly).size() == 1);

        // Deleting the inner file removes it from the folder's Files, under the folder's path.
        mark = run.logMark();
        clickButton(subPanel, QStringLiteral("cmdFileDelete"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".Files.Remove(<") + clsLogMsg::LogText(Value::fromI4(0)) + QStringLiteral(">)"),
                                                  QStringLiteral("Succeeded.")}));
        QVERIFY(run.state().script.body().endsWith(
            clsScriptGen::ScriptBlock(folder->m_CsrObjPath + QStringLiteral(".Files.Remove"), -1, 2, QStringLiteral("0"))));
        QVERIFY(!run.lastPanel(PanelKind::File) || run.lastPanel(PanelKind::File) == folder);
        QVERIFY(!folder->m_KSFObj->findMember(ksf::File, QStringLiteral("Sub.pgm")));
        zel::ObjectPtr folderFiles = folder->m_ZelObj->invoke(QStringLiteral("Files"), CallKind::PropertyGet, {}).objectValue();
        QCOMPARE(folderFiles->invoke(QStringLiteral("Count"), CallKind::PropertyGet, {}).toInt32(), 0);

        // Clearing writes its status texts and leaves the member panels.
        mark = run.logMark();
        clickButton(folder, QStringLiteral("cmdVarClear"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".Vars.Clear()"), QStringLiteral("Succeeded.")}));
        QVERIFY(!var->isUnloaded());
        members->setCurrentIndex(1);
        mark = run.logMark();
        clickButton(folder, QStringLiteral("cmdFileClear"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".Files.Clear()"), QStringLiteral("Succeeded.")}));
        QVERIFY(run.state().script.body().endsWith(scriptBlock(folder, QStringLiteral(".Files.Clear"), -1, 2)));
    }

    void deletingTheFileClosesItsSubtree()
    {
        TestRun run;
        PanelBase *ctrl = addController(run);
        frmFile *folder = openFile(ctrl, QStringLiteral("Data"));
        child<QTabWidget>(folder, QStringLiteral("tabAddObj"))->setCurrentIndex(1);
        setText(folder, QStringLiteral("txtName_1"), QStringLiteral("inner.txt"));
        clickButton(folder, QStringLiteral("cmdGetFile"));
        PanelBase *inner = run.lastPanel(PanelKind::File);
        QVERIFY(inner != folder);
        QVERIFY(ctrl->m_KSFObj->findMember(ksf::File, QStringLiteral("Data")));

        const qint32 index = engineValue(folder, "Index").toInt32();
        qsizetype mark = run.logMark();
        clickButton(folder, QStringLiteral("cmdFileDelete"));
        QStringList lines = run.logSince(mark);
        QVERIFY(inner->isUnloaded());
        QVERIFY(folder->isUnloaded());
        QVERIFY(lines.contains(ctrl->m_LogObjPath + QStringLiteral(".Files.Remove(<") + clsLogMsg::LogText(Value::fromI4(index)) + QStringLiteral(">)")));
        QVERIFY(!ctrl->m_KSFObj->findMember(ksf::File, QStringLiteral("Data")));
        // The inner file went first, under the folder's path.
        QVERIFY(lines.indexOf(QRegularExpression(QStringLiteral(".*\\.Files\\(\"Data\"\\)\\.Files\\.Remove.*")))
                < lines.indexOf(QRegularExpression(QStringLiteral(".*\\.Ctrls\\(\"RC1\"\\)\\.Files\\.Remove.*"))));
    }

    void controllerPagesOpenTheRealPanels()
    {
        TestRun run;
        PanelBase *ctrl = addController(run);
        auto *pages = child<QTabWidget>(ctrl, QStringLiteral("tabController"));
        QVERIFY(pages);
        struct Case {
            int page;
            const char *name, *add, *member, *form;
            PanelKind kind;
        } cases[] = {
            {2, "txtName_2", "cmdGetFile", "readme.txt", "frmFile", PanelKind::File},
            {3, "txtName_3", "cmdGetTask", "Main", "frmTask", PanelKind::Task},
            {4, "txtName_4", "cmdGetExtension", "IO1", "frmExtension", PanelKind::Extension},
            {5, "txtName_5", "cmdGetCommand", "Sum", "frmCommand", PanelKind::Command},
        };
        for (const Case &c : cases) {
            pages->setCurrentIndex(c.page);
            setText(ctrl, QLatin1String(c.name), QLatin1String(c.member));
            clickButton(ctrl, QLatin1String(c.add));
            PanelBase *p = run.lastPanel(c.kind);
            QVERIFY2(p, c.form);
            QCOMPARE(p->objectName(), QLatin1String(c.form));
            QCOMPARE(p->m_TreeNode->parent(), ctrl->m_TreeNode);
            QCOMPARE(p->m_TreeNode->text(0), QLatin1String(c.member));
            QVERIFY(p->subWindow() && p->subWindow()->isVisible());
            QVERIFY(ctrl->m_KSFObj->findMember(int(c.kind), QLatin1String(c.member)));
        }
    }

    void accessKeysAreUniqueOnEveryPagePair()
    {
        TestRun run;
        frmFile *p = openFile(addController(run), QStringLiteral("readme.txt"));
        auto *ops = child<QTabWidget>(p, QStringLiteral("tabOperation"));
        auto *members = child<QTabWidget>(p, QStringLiteral("tabAddObj"));
        for (int i = 0; i < ops->count(); ++i) {
            for (int k = 0; k < members->count(); ++k) {
                ops->setCurrentIndex(i);
                members->setCurrentIndex(k);
                QVERIFY2(duplicateAccessKeys(p).isEmpty(), qPrintable(duplicateAccessKeys(p).join(QLatin1Char(' '))));
            }
        }
    }

    void definitionsGovernTheButtons()
    {
        TestRun run;
        const QString definition = qEnvironmentVariable("ZEL_TEST_SOURCE_DIR") + QStringLiteral("/examples/zel-virtual-restricted.xml");
        PanelBase *ctrl = addController(run, definition);
        QVERIFY(ctrl->m_DCEng);
        frmFile *p = openFile(ctrl, QStringLiteral("readme.txt"));
        QVERIFY(p->m_DCFile);
        for (const char *name : {"cmdPutValue", "cmdCopy", "cmdMove", "cmdDelete", "cmdRun", "cmdExecute", "cmdPutID"})
            QVERIFY2(!ownEnabled(child<QWidget>(p, QLatin1String(name))), name);
        for (const char *name : {"cmdGetFileName", "cmdGetTag", "cmdPutTag", "cmdGetValue", "cmdGetPath", "cmdGetSize",
                                 "cmdGetLastModified", "cmdGetID", "cmdGetNames_0"})
            QVERIFY2(ownEnabled(child<QWidget>(p, QLatin1String(name))), name);
        QCOMPARE(child<QWidget>(p, QStringLiteral("txtFileNamesOption"))->toolTip(),
                 QStringLiteral("Option of the names request; empty lists this folder."));
        // The Add fields take the default definitions' descriptions.
        QCOMPARE(child<QWidget>(p, QStringLiteral("txtName_0"))->toolTip(),
                 QStringLiteral("Variable name. Variables are read-only here, except one named Setpoint."));
        QCOMPARE(child<QWidget>(p, QStringLiteral("txtName_1"))->toolTip(),
                 QStringLiteral("File name or path on the controller. Files are read-only here."));
        QCOMPARE(child<QWidget>(p, QStringLiteral("txtFileOption"))->toolTip(), QStringLiteral("Option of the new file, usually empty."));
        QVERIFY(child<QWidget>(p, QStringLiteral("txtValue"))->toolTip().isEmpty());
        // Page changes do not re-enable what the definition disabled.
        auto *ops = child<QTabWidget>(p, QStringLiteral("tabOperation"));
        ops->setCurrentIndex(0);
        ops->setCurrentIndex(3);
        QVERIFY(!child<QWidget>(p, QStringLiteral("cmdExecute"))->isEnabled());

        // A file panel opened below hands the definition down.
        frmFile *folder = openFile(ctrl, QStringLiteral("Programs"));
        child<QTabWidget>(folder, QStringLiteral("tabAddObj"))->setCurrentIndex(1);
        setText(folder, QStringLiteral("txtName_1"), QStringLiteral("Cycle.pgm"));
        clickButton(folder, QStringLiteral("cmdGetFile"));
        PanelBase *inner = run.lastPanel(PanelKind::File);
        QVERIFY(inner != folder && inner->m_DCEng);
        QVERIFY(!ownEnabled(child<QWidget>(inner, QStringLiteral("cmdRun"))));
        QVERIFY(child<QWidget>(inner, QStringLiteral("cmdGetValue"))->isEnabled());
    }
};

QTEST_MAIN(TestFilePanel)
#include "tst_file.moc"
