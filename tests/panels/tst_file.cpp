// The file panel: property rows with their own quoting, content as text or as the hexadecimal
// dump, writes of the box or of the last bytes read, Copy, Move, Delete, Run, Execute, member
// variables and files on two pages, deletion of a subtree and the definitions.
#include "testsupport.h"

#include "panels/frmFile.h"
#include "zel/errors.h"

using zel::CallKind;
using zel::Value;

namespace {

frmFile *openFile(TestRun &run, PanelBase *ctrl, const QString &name)
{
    return qobject_cast<frmFile *>(addMember(run, ctrl, PanelKind::File, name));
}

// A file whose content reads as a number, which no real file does.
class NumberFile : public zel::Object {
public:
    QString className() const override { return u"ZelFile"_s; }
    Value invoke(const QString &member, CallKind kind, const QList<Value> &args) override
    {
        if (member == u"Name")
            return Value::fromString(u"counter.bin"_s);
        if (member == u"Value" && kind == CallKind::PropertyGet)
            return Value::fromI4(42);
        if (member == u"Value") {
            written = args.last();
            ++writes;
            return Value();
        }
        if (member == u"Index")
            return Value::fromI4(-1);
        throw zel::ZelError(zel::E_UNKNOWN_MEMBER, member);
    }
    Value written;
    int writes = 0;
};

QString lf(QString crlf)
{
    return crlf.replace(u"\r\n"_s, u"\n"_s);
}

bool checked(QWidget *p, const char *name)
{
    return child<QRadioButton>(p, name)->isChecked();
}

} // namespace

class TestFilePanel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void hexDumpOfTwentyBytes()
    {
        TestRun run;
        frmFile *p = openFile(run, addController(run), "logo.bin");
        const QString P = p->m_LogObjPath;
        QVERIFY(P.endsWith(u".Files(\"logo.bin\")"));
        const Value bytes = zget(p->m_ZelObj, "Value");
        QString s;
        QCOMPARE(run.click(p, "cmdGetValue", &s), (QStringList{P + ".get_Value()", "Data Type:Binary", "Succeeded. (" + logArg(bytes) + u')'}));
        const QString dump = u"00 01 02 03 04 05 06 07   08 09 0A 0B 0C 0D 0E 0F \r\n10 11 12 13 "_s;
        QCOMPARE(frmFile::hexDump(bytes.arrayValue()), dump);
        QCOMPARE(textOf(p, "txtValue"), lf(dump));
        QVERIFY(checked(p, "optSendType_1"));
        QCOMPARE(s, scriptBlock(p, ".Value", 12, 1));
        QCOMPARE(p->lastReadValue(), bytes);
    }

    void hexDumpStopsAfter1024Bytes()
    {
        TestRun run;
        frmFile *p = openFile(run, addController(run), "big.dat");
        clickButton(p, "cmdGetValue");
        const QString dump = frmFile::hexDump(zget(p->m_ZelObj, "Value").arrayValue());
        const QStringList lines = dump.split(u"\r\n"_s);
        QCOMPARE(lines.size(), 65); // 64 lines, each ended by a break
        QVERIFY(lines.last().isEmpty());
        QCOMPARE(lines[1], u"10 11 12 13 14 15 16 17   18 19 1A 1B 1C 1D 1E 1F "_s);
        QCOMPARE(lines[63], u"F0 F1 F2 F3 F4 F5 F6 F7   F8 F9 FA FB FC FD FE FF "_s);
        QCOMPARE(dump.count(u' '), 1024 + 64 * 2);
        QCOMPARE(textOf(p, "txtValue"), lf(dump));

        // Exactly 16 bytes end without a break (the last byte is the array's last) but with the
        // group spaces of a sixteenth byte.
        zel::Array sixteen{zel::VT_UI1, 0, {}};
        for (int i = 0; i < 16; ++i)
            sixteen.items << Value::fromUI1(quint8(255 - i));
        QCOMPARE(frmFile::hexDump(sixteen), u"FF FE FD FC FB FA F9 F8   F7 F6 F5 F4 F3 F2 F1 F0   "_s);
        QCOMPARE(frmFile::hexDump(zel::Array{zel::VT_UI1, 0, {}}), QString());
    }

    void textContentReadAndWritten()
    {
        TestRun run;
        frmFile *p = openFile(run, addController(run), "readme.txt");
        const QString P = p->m_LogObjPath;
        const Value text = Value::fromString(u"a, b,  c"_s);
        zput(p->m_ZelObj, "Value", text);
        fill(p, {"optSendType_1=1"});
        QCOMPARE(run.click(p, "cmdGetValue"), (QStringList{P + ".get_Value()", "Data Type:Text", "Succeeded. (" + logArg(text) + u')'}));
        QCOMPARE(textOf(p, "txtValue"), u"a, b,  c"_s);
        QVERIFY(checked(p, "optSendType_0"));

        QString s;
        const Value sent = Value::fromString(u"first line"_s);
        fill(p, {"txtValue=first line"});
        QCOMPARE(run.click(p, "cmdPutValue", &s), (QStringList{P + ".put_Value(" + logArg(sent) + u')', "Succeeded."}));
        QCOMPARE(s, scriptBlock(p, ".Value", -1, 0, scriptArg(sent)));
        QCOMPARE(zget(p->m_ZelObj, "Value"), sent);
    }

    void binaryPutBeforeAndAfterARead()
    {
        TestRun run;
        PanelBase *ctrl = addController(run);
        frmFile *p = openFile(run, ctrl, "logo.bin");
        const QString P = p->m_LogObjPath;
        const Value original = zget(p->m_ZelObj, "Value");

        // Nothing read yet: Binary sends the empty value, which the file refuses.
        fill(p, {"optSendType_1=1"});
        QCOMPARE(failuresShort(run.click(p, "cmdPutValue")), (QStringList{P + ".put_Value(" + logArg(Value()) + u')', "Failed."}));
        QCOMPARE(zget(p->m_ZelObj, "Value"), original);

        // After a read the bytes read go back, whatever the box and the file hold now.
        clickButton(p, "cmdGetValue");
        fill(p, {"txtValue=not these"});
        zput(zcall(ctrl->m_ZelObj, "AddFile", {Value::fromString("logo.bin")}).objectValue(), "Value", Value::fromString("changed"));
        QString s;
        QCOMPARE(run.click(p, "cmdPutValue", &s), (QStringList{P + ".put_Value(" + logArg(original) + u')', "Succeeded."}));
        QCOMPARE(s, scriptBlock(p, ".Value", -1, 0, scriptArg(original)));
        QCOMPARE(zget(p->m_ZelObj, "Value"), original);

        // Text sends the box.
        fill(p, {"optSendType_0=1"});
        clickButton(p, "cmdPutValue");
        QCOMPARE(zget(p->m_ZelObj, "Value"), Value::fromString("not these"));
    }

    void contentOfAnotherTypeIsAPlainFailure()
    {
        TestRun run;
        PanelBase *ctrl = addController(run);
        auto fake = std::make_shared<NumberFile>();
        auto *p = qobject_cast<frmFile *>(ctrl->createMemberPanel(PanelKind::File, fake, nullptr, nullptr, nullptr));
        QVERIFY(p);
        const QString P = p->m_LogObjPath;
        QCOMPARE(P, ctrl->m_LogObjPath + ".Files(\"counter.bin\")");
        fill(p, {"txtValue=kept"});
        const QString before = run.script();
        const qsizetype mark = run.logMark();
        p->runOperation("cmdGetValue");
        QCOMPARE(run.logSince(mark), (QStringList{P + ".get_Value()", "Failed."}));
        QCOMPARE(run.script(), before + scriptBlock(p, ".Value", 12, 1));
        QCOMPARE(textOf(p, "txtValue"), u"kept"_s);
        QVERIFY(checked(p, "optSendType_0"));

        // The number is still the last read value: Binary writes it back.
        QCOMPARE(p->lastReadValue(), Value::fromI4(42));
        fill(p, {"optSendType_1=1"});
        p->runOperation("cmdPutValue");
        QCOMPARE(run.logSince(mark).mid(2), (QStringList{P + ".put_Value(" + logArg(Value::fromI4(42)) + u')', "Succeeded."}));
        QCOMPARE(fake->writes, 1);
        QCOMPARE(fake->written, Value::fromI4(42));
    }

    void propertyLinesQuoteNumbersAndDates()
    {
        TestRun run;
        frmFile *p = openFile(run, addController(run), "logo.bin");
        const QString P = p->m_LogObjPath;
        const struct {
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
        for (const auto &c : cases) {
            QString s;
            const QStringList lines = run.click(p, c.button, &s);
            const QString shown = textOf(p, c.box);
            QVERIFY2(!shown.isEmpty(), c.box);
            QCOMPARE(lines, (QStringList{P + c.request, "Succeeded. (\"" + shown + "\")"}));
            QCOMPARE(s, scriptBlock(p, c.script, c.retType, 1));
        }
        QCOMPARE(textOf(p, "txtSize"), u"20"_s);
        QCOMPARE(textOf(p, "txtPath"), u"/logo.bin"_s);
        QCOMPARE(textOf(p, "txtAttribute"), u"32"_s);
        QVERIFY(textOf(p, "txtCreated").contains(u'/'));
        // Tag is a value.
        fill(p, {"txtPutTag=12"});
        clickButton(p, "cmdPutTag");
        QCOMPARE(run.click(p, "cmdGetTag"), (QStringList{P + ".get_Tag()", "Succeeded. (" + logArg(Value::fromString("12")) + u')'}));
        QCOMPARE(textOf(p, "txtGetTag"), u"12"_s);
    }

    void fileOperations()
    {
        TestRun run;
        PanelBase *ctrl = addController(run);
        frmFile *program = openFile(run, ctrl, "Main.pgm");
        QCOMPARE(child<QTabWidget>(program, "tabOperation")->currentIndex(), 3);
        QCOMPARE(child<QTabWidget>(program, "tabOperation")->tabText(3), u"&Execute"_s);

        // Run: the task name comes back quoted.
        QString s;
        fill(program, {"tabOperation=2", "txtRunOption=Mode=1"});
        QCOMPARE(run.click(program, "cmdRun", &s), (QStringList{program->m_LogObjPath + ".Run(\"Mode=1\")", "Succeeded. (\"Main\")"}));
        QCOMPARE(textOf(program, "txtTaskName"), u"Main"_s);
        QCOMPARE(s, scriptBlock(program, ".Run", -1, 2, "\"Mode=1\""));

        // Execute records no result and ignores the type list's enabling rule.
        frmFile *readme = openFile(run, ctrl, "readme.txt");
        const QString P = readme->m_LogObjPath;
        fill(readme, {"cmbValueType=21"});
        QVERIFY(child<QWidget>(readme, "cmdExecute")->isEnabled());
        QVERIFY(child<QWidget>(readme, "txtExeParameter")->isEnabled());
        fill(readme, {"cmbValueType=0", "txtExeCommand=LineCount"});
        QCOMPARE(run.click(readme, "cmdExecute", &s), (QStringList{P + ".Execute(\"LineCount\", " + logArg(Value()) + u')',
                                                                   "Succeeded. (" + logArg(Value::fromI4(2)) + u')'}));
        QCOMPARE(textOf(readme, "txtResult"), u"2 (I4)"_s);
        QCOMPARE(s, scriptBlock(readme, ".Execute", -1, 2, "\"LineCount\", " + scriptArg(Value())));

        // Copy, Move and Delete pass their texts in quotes.
        fill(readme, {"tabOperation=0", "txtDestinationFile=/Data"});
        QCOMPARE(run.click(readme, "cmdCopy", &s), (QStringList{P + ".Copy(\"/Data\", \"\")", "Succeeded."}));
        QCOMPARE(s, scriptBlock(readme, ".Copy", -1, 2, "\"/Data\", \"\""));
        fill(readme, {"txtDestinationFile=/Data/notes.txt", "txtCopyMoveOption=Overwrite=true"});
        QCOMPARE(run.click(readme, "cmdMove"), (QStringList{P + ".Move(\"/Data/notes.txt\", \"Overwrite=true\")", "Succeeded."}));
        QCOMPARE(zget(readme->m_ZelObj, "Path"), Value::fromString("/Data/notes.txt"));
        fill(readme, {"tabOperation=1"});
        QCOMPARE(run.click(readme, "cmdDelete", &s), (QStringList{P + ".Delete(\"\")", "Succeeded."}));
        QCOMPARE(s, scriptBlock(readme, ".Delete", -1, 2, "\"\""));
        // The panel, its node and the object stay; the file's calls now fail.
        QCOMPARE(run.panel(readme->m_FormID), readme);
        QCOMPARE(failuresShort(run.click(readme, "cmdGetPath")), (QStringList{P + ".get_Path()", "Failed."}));
        // Another page's texts survive page changes.
        fill(readme, {"tabOperation=0"});
        QCOMPARE(textOf(readme, "txtDestinationFile"), u"/Data/notes.txt"_s);
    }

    void membersOnTwoPages()
    {
        TestRun run;
        frmFile *folder = openFile(run, addController(run), "Programs");
        const QString P = folder->m_LogObjPath;
        auto *members = child<QTabWidget>(folder, "tabAddObj");
        QCOMPARE(members->currentIndex(), 0);
        QVERIFY(!child<QWidget>(folder, "picAddFrame_1")->isEnabled());

        // File names fill only the second list; a click copies the name into its Add box.
        QString s;
        members->setCurrentIndex(1);
        QVERIFY(!child<QWidget>(folder, "picAddFrame_0")->isEnabled());
        QCOMPARE(run.click(folder, "cmdGetNames_1", &s).value(0), P + ".FileNames(\"\")");
        QCOMPARE(s, scriptBlock(folder, ".FileNames", 12, 1, "\"\""));
        auto *files = child<QListWidget>(folder, "lstNames_1");
        QCOMPARE(files->count(), 2);
        QCOMPARE(child<QListWidget>(folder, "lstNames_0")->count(), 0);
        QListWidgetItem *sub = files->findItems("Sub.pgm", Qt::MatchExactly).value(0);
        QVERIFY(sub);
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualItemRect(sub).center());
        QCOMPARE(textOf(folder, "txtName_1"), u"Sub.pgm"_s);
        QCOMPARE(textOf(folder, "txtName_0"), QString());

        // A file panel opens a file panel below itself.
        QCOMPARE(run.click(folder, "cmdGetFile", &s), (QStringList{P + ".AddFile(\"Sub.pgm\", \"\")", "Succeeded."}));
        QCOMPARE(s, scriptBlock(folder, ".AddFile", 9, 2, "\"Sub.pgm\", \"\""));
        auto *subPanel = qobject_cast<frmFile *>(run.lastPanel(PanelKind::File));
        QVERIFY(subPanel && subPanel != folder);
        QCOMPARE(subPanel->m_LogObjPath, P + ".Files(\"Sub.pgm\")");
        QCOMPARE(subPanel->m_CsrObjPath, folder->m_CsrObjPath + ".Files(\"Sub.pgm\")");
        QCOMPARE(subPanel->m_TreeNode->parent(), folder->m_TreeNode);
        QVERIFY(folder->m_KSFObj->findMember(ksf::File, "Sub.pgm"));

        // Its variables go on the first page.
        fill(folder, {"tabAddObj=0", "txtName_0=Count"});
        QCOMPARE(run.click(folder, "cmdGetVariable"), (QStringList{P + ".AddVariable(\"Count\", \"\")", "Succeeded."}));
        PanelBase *var = run.lastPanel(PanelKind::Variable);
        QCOMPARE(var->m_LogObjPath, P + ".Vars(\"Count\")");
        QCOMPARE(var->m_TreeNode->parent(), folder->m_TreeNode);

        // Deleting the inner file removes it from the folder's Files, under the folder's path.
        QCOMPARE(run.click(subPanel, "cmdFileDelete", &s), (QStringList{P + ".Files.Remove(" + logArg(Value::fromI4(0)) + u')', "Succeeded."}));
        QCOMPARE(s, clsScriptGen::ScriptBlock(folder->m_CsrObjPath + ".Files.Remove", -1, 2, "0"));
        QVERIFY(!folder->m_KSFObj->findMember(ksf::File, "Sub.pgm"));
        QCOMPARE(zget(zget(folder->m_ZelObj, "Files").objectValue(), "Count").toInt32(), 0);

        // Clearing writes its lines and leaves the member panels.
        QCOMPARE(run.click(folder, "cmdVarClear"), (QStringList{P + ".Vars.Clear()", "Succeeded."}));
        QVERIFY(!var->isUnloaded());
        members->setCurrentIndex(1);
        QCOMPARE(run.click(folder, "cmdFileClear", &s), (QStringList{P + ".Files.Clear()", "Succeeded."}));
        QCOMPARE(s, scriptBlock(folder, ".Files.Clear", -1, 2));
    }

    void deletingTheFileClosesItsSubtree()
    {
        TestRun run;
        PanelBase *ctrl = addController(run);
        frmFile *folder = openFile(run, ctrl, "Data");
        fill(folder, {"tabAddObj=1", "txtName_1=inner.txt"});
        clickButton(folder, "cmdGetFile");
        PanelBase *inner = run.lastPanel(PanelKind::File);
        QVERIFY(inner != folder);
        const qint32 index = zget(folder->m_ZelObj, "Index").toInt32();
        // The inner file goes first, under the folder's path.
        QCOMPARE(run.click(folder, "cmdFileDelete"),
                 (QStringList{folder->m_LogObjPath + ".Files.Remove(" + logArg(Value::fromI4(0)) + u')', "Succeeded.",
                              ctrl->m_LogObjPath + ".Files.Remove(" + logArg(Value::fromI4(index)) + u')', "Succeeded."}));
        QVERIFY(inner->isUnloaded() && folder->isUnloaded());
        QVERIFY(!ctrl->m_KSFObj->findMember(ksf::File, "Data"));
    }

    void definitionsGovernTheButtons()
    {
        TestRun run;
        loadDefinition(run, examplePath("zel-virtual-restricted.xml"));
        PanelBase *ctrl = addController(run);
        frmFile *p = openFile(run, ctrl, "readme.txt");
        QVERIFY(p->m_DCFile);
        QCOMPARE(ownDisabled(p, {"cmdPutValue", "cmdCopy", "cmdMove", "cmdDelete", "cmdRun", "cmdExecute", "cmdPutID",
                                 "cmdGetFileName", "cmdGetTag", "cmdPutTag", "cmdGetValue", "cmdGetPath", "cmdGetSize",
                                 "cmdGetLastModified", "cmdGetID", "cmdGetNames_0"}),
                 (QStringList{"cmdPutValue", "cmdCopy", "cmdMove", "cmdDelete", "cmdRun", "cmdExecute", "cmdPutID"}));
        QCOMPARE(child<QWidget>(p, "txtFileNamesOption")->toolTip(), u"Option of the names request; empty lists this folder."_s);
        // The Add fields take the default definitions' descriptions.
        QCOMPARE(child<QWidget>(p, "txtName_0")->toolTip(), u"Variable name. Variables are read-only here, except one named Setpoint."_s);
        QCOMPARE(child<QWidget>(p, "txtName_1")->toolTip(), u"File name or path on the controller. Files are read-only here."_s);
        QCOMPARE(child<QWidget>(p, "txtFileOption")->toolTip(), u"Option of the new file, usually empty."_s);
        QVERIFY(child<QWidget>(p, "txtValue")->toolTip().isEmpty());
        // Page changes do not re-enable what the definition disabled.
        fill(p, {"tabOperation=0", "tabOperation=3"});
        QVERIFY(!child<QWidget>(p, "cmdExecute")->isEnabled());

        // A file panel opened below hands the definition down.
        frmFile *folder = openFile(run, ctrl, "Programs");
        fill(folder, {"tabAddObj=1", "txtName_1=Cycle.pgm"});
        clickButton(folder, "cmdGetFile");
        PanelBase *inner = run.lastPanel(PanelKind::File);
        QVERIFY(inner != folder && inner->m_DCEng);
        QVERIFY(!ownEnabled(child<QWidget>(inner, "cmdRun")));
        QVERIFY(child<QWidget>(inner, "cmdGetValue")->isEnabled());
    }
};

QTEST_MAIN(TestFilePanel)
#include "tst_file.moc"
