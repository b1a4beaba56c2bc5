// The file panel: content as text or as the hexadecimal dump, writes of the box or of the last
// bytes read, properties quoted whatever their type, Run, Execute, Move and Delete, member
// variables and files on two pages, and the deletion of a subtree.
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
            written << args.last();
            return Value();
        }
        if (member == u"Index")
            return Value::fromI4(-1);
        throw zel::ZelError(zel::E_UNKNOWN_MEMBER, member);
    }
    QList<Value> written;
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
    void binaryReadsAndWrites()
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

        // Twenty bytes read: their own line, the dump in the box, Binary selected.
        fill(p, {"optSendType_0=1"});
        QString s;
        QCOMPARE(run.click(p, "cmdGetValue", &s), (QStringList{P + ".get_Value()", "Data Type:Binary", "Succeeded. (" + logArg(original) + u')'}));
        const QString dump = u"00 01 02 03 04 05 06 07   08 09 0A 0B 0C 0D 0E 0F \r\n10 11 12 13 "_s;
        QCOMPARE(frmFile::hexDump(original.arrayValue()), dump);
        QCOMPARE(textOf(p, "txtValue"), lf(dump));
        QVERIFY(checked(p, "optSendType_1"));
        QCOMPARE(s, scriptBlock(p, ".Value", 12, 1));

        // After a read the bytes read go back, whatever the box and the file hold now.
        fill(p, {"txtValue=not these"});
        zput(zcall(ctrl->m_ZelObj, "AddFile", {Value::fromString("logo.bin")}).objectValue(), "Value", Value::fromString("changed"));
        QCOMPARE(run.click(p, "cmdPutValue", &s), (QStringList{P + ".put_Value(" + logArg(original) + u')', "Succeeded."}));
        QCOMPARE(s, scriptBlock(p, ".Value", -1, 0, scriptArg(original)));
        QCOMPARE(zget(p->m_ZelObj, "Value"), original);

        // Text sends the box; read back, a text content has its own line and selects Text.
        fill(p, {"optSendType_0=1", "txtValue=not,  these"});
        clickButton(p, "cmdPutValue");
        fill(p, {"optSendType_1=1", "txtValue="});
        QCOMPARE(run.click(p, "cmdGetValue"), (QStringList{P + ".get_Value()", "Data Type:Text", "Succeeded. (<8,not,  these>)"}));
        QCOMPARE(textOf(p, "txtValue"), u"not,  these"_s);
        QVERIFY(checked(p, "optSendType_0"));

        // 2000 bytes: the first 1024, in 64 lines each ended by a break.
        frmFile *big = openFile(run, ctrl, "big.dat");
        clickButton(big, "cmdGetValue");
        const QString bigDump = frmFile::hexDump(zget(big->m_ZelObj, "Value").arrayValue());
        const QStringList lines = bigDump.split(u"\r\n"_s);
        QCOMPARE(lines.size(), 65);
        QCOMPARE(lines[63] + lines[64], u"F0 F1 F2 F3 F4 F5 F6 F7   F8 F9 FA FB FC FD FE FF "_s);
        QCOMPARE(textOf(big, "txtValue"), lf(bigDump));
        // Exactly 16 bytes end without a break but with the group spaces of a sixteenth byte.
        zel::Array sixteen{zel::VT_UI1, 0, {}};
        for (int i = 0; i < 16; ++i)
            sixteen.items << Value::fromUI1(quint8(255 - i));
        QCOMPARE(frmFile::hexDump(sixteen), u"FF FE FD FC FB FA F9 F8   F7 F6 F5 F4 F3 F2 F1 F0   "_s);
        QCOMPARE(frmFile::hexDump(zel::Array{zel::VT_UI1, 0, {}}), QString());
    }

    void contentOfAnotherTypeIsAPlainFailure()
    {
        TestRun run;
        auto fake = std::make_shared<NumberFile>();
        auto *p = qobject_cast<frmFile *>(addController(run)->createMemberPanel(PanelKind::File, fake, nullptr, nullptr, nullptr));
        QVERIFY(p);
        const QString P = p->m_LogObjPath;
        fill(p, {"txtValue=kept"});
        const QString before = run.script();
        const qsizetype mark = run.logMark();
        p->runOperation("cmdGetValue");
        QCOMPARE(run.logSince(mark), (QStringList{P + ".get_Value()", "Failed."}));
        QCOMPARE(run.script(), before + scriptBlock(p, ".Value", 12, 1));
        QCOMPARE(textOf(p, "txtValue"), u"kept"_s);
        QVERIFY(checked(p, "optSendType_0"));

        // The number is still the last read value: Binary writes it back.
        fill(p, {"optSendType_1=1"});
        p->runOperation("cmdPutValue");
        QCOMPARE(run.logSince(mark).mid(2), (QStringList{P + ".put_Value(" + logArg(Value::fromI4(42)) + u')', "Succeeded."}));
        QCOMPARE(fake->written, QList<Value>{Value::fromI4(42)});
    }

    void propertiesAndOperations()
    {
        TestRun run;
        PanelBase *ctrl = addController(run);
        frmFile *readme = openFile(run, ctrl, "readme.txt");
        const QString P = readme->m_LogObjPath;
        // Properties are quoted whatever their type; Tag is a value.
        QCOMPARE(run.click(readme, "cmdGetSize"), (QStringList{P + ".get_Size()", "Succeeded. (\"88\")"}));
        const QStringList created = run.click(readme, "cmdGetCreated");
        QVERIFY(textOf(readme, "txtCreated").contains(u'/'));
        QCOMPARE(created, (QStringList{P + ".get_DateCreated()", "Succeeded. (\"" + textOf(readme, "txtCreated") + "\")"}));
        fill(readme, {"txtPutTag=12"});
        clickButton(readme, "cmdPutTag");
        QCOMPARE(run.click(readme, "cmdGetTag"), (QStringList{P + ".get_Tag()", "Succeeded. (" + logArg(Value::fromString("12")) + u')'}));

        // Execute records no result and ignores the type list's enabling rule.
        QString s;
        fill(readme, {"cmbValueType=21"});
        QVERIFY(child<QWidget>(readme, "cmdExecute")->isEnabled() && child<QWidget>(readme, "txtExeParameter")->isEnabled());
        fill(readme, {"cmbValueType=0", "txtExeCommand=LineCount"});
        QCOMPARE(run.click(readme, "cmdExecute", &s), (QStringList{P + ".Execute(\"LineCount\", " + logArg(Value()) + u')',
                                                                   "Succeeded. (" + logArg(Value::fromI4(2)) + u')'}));
        QCOMPARE(textOf(readme, "txtResult"), u"2 (I4)"_s);
        QCOMPARE(s, scriptBlock(readme, ".Execute", -1, 2, "\"LineCount\", " + scriptArg(Value())));

        // Move and Delete pass their texts in quotes.
        fill(readme, {"tabOperation=0", "txtDestinationFile=/Data/notes.txt", "txtCopyMoveOption=Overwrite=true"});
        QCOMPARE(run.click(readme, "cmdMove"), (QStringList{P + ".Move(\"/Data/notes.txt\", \"Overwrite=true\")", "Succeeded."}));
        fill(readme, {"tabOperation=1"});
        QCOMPARE(run.click(readme, "cmdDelete"), (QStringList{P + ".Delete(\"\")", "Succeeded."}));

        // Run: the task name comes back quoted, but the script records no result.
        frmFile *program = openFile(run, ctrl, "Main.pgm");
        fill(program, {"tabOperation=2", "txtRunOption=Mode=1"});
        QCOMPARE(run.click(program, "cmdRun", &s), (QStringList{program->m_LogObjPath + ".Run(\"Mode=1\")", "Succeeded. (\"Main\")"}));
        QCOMPARE(textOf(program, "txtTaskName"), u"Main"_s);
        QCOMPARE(s, scriptBlock(program, ".Run", -1, 2, "\"Mode=1\""));
    }

    void membersOnTwoPagesAndTheSubtreesDeletion()
    {
        TestRun run;
        PanelBase *ctrl = addController(run);
        frmFile *folder = openFile(run, ctrl, "Programs");
        const QString P = folder->m_LogObjPath;
        // Only the page shown takes input; file names fill only the second list.
        QVERIFY(!child<QWidget>(folder, "picAddFrame_1")->isEnabled());
        fill(folder, {"tabAddObj=1", "txtName_1=Sub.pgm"});
        QVERIFY(!child<QWidget>(folder, "picAddFrame_0")->isEnabled());
        QCOMPARE(run.click(folder, "cmdGetNames_1").value(0), P + ".FileNames(\"\")");
        QVERIFY(!child<QListWidget>(folder, "lstNames_1")->findItems("Sub.pgm", Qt::MatchExactly).isEmpty());
        QCOMPARE(child<QListWidget>(folder, "lstNames_0")->count(), 0);

        // A file panel opens a file panel below itself; its variables go on the first page.
        QCOMPARE(run.click(folder, "cmdGetFile"), (QStringList{P + ".AddFile(\"Sub.pgm\", \"\")", "Succeeded."}));
        PanelBase *subPanel = run.lastPanel(PanelKind::File);
        QCOMPARE(subPanel->m_CsrObjPath, folder->m_CsrObjPath + ".Files(\"Sub.pgm\")");
        QCOMPARE(subPanel->m_TreeNode->parent(), folder->m_TreeNode);
        fill(folder, {"tabAddObj=0", "txtName_0=Count"});
        QCOMPARE(run.click(folder, "cmdGetVariable"), (QStringList{P + ".AddVariable(\"Count\", \"\")", "Succeeded."}));
        PanelBase *var = run.lastPanel(PanelKind::Variable);

        // Deleting the folder closes its subtree first, in tree order, each under the folder's
        // paths, then removes the folder itself.
        const qint32 index = zget(folder->m_ZelObj, "Index").toInt32();
        QString s;
        QCOMPARE(run.click(folder, "cmdFileDelete", &s),
                 (QStringList{P + ".Files.Remove(<3,0>)", "Succeeded.", P + ".Vars.Remove(<3,0>)", "Succeeded.",
                              ctrl->m_LogObjPath + ".Files.Remove(" + logArg(Value::fromI4(index)) + u')', "Succeeded."}));
        QVERIFY(s.startsWith(clsScriptGen::ScriptBlock(folder->m_CsrObjPath + ".Files.Remove", -1, 2, "0")));
        QVERIFY(subPanel->isUnloaded() && var->isUnloaded() && folder->isUnloaded());
        QVERIFY(!ctrl->m_KSFObj->findMember(ksf::File, "Programs"));
    }
};

QTEST_MAIN(TestFilePanel)
#include "tst_file.moc"
