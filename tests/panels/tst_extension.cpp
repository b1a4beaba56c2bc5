// The extension panel: Tag read as plain text (a number quoted, an array a failure), puts of the
// box as a text value, and ".get_Attribte()".
#include "testsupport.h"

using zel::Value;

class TestExtensionPanel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tagAndAttributeTexts()
    {
        TestRun run;
        PanelBase *p = addMember(run, addController(run), PanelKind::Extension, "IO1");
        const QString P = p->m_LogObjPath;
        QVERIFY(P.endsWith(u".Exts(\"IO1\")"));

        // A number shows its decimal text and is logged in double quotes.
        QString s;
        zput(p->m_ZelObj, "Tag", Value::fromI4(42));
        QCOMPARE(run.click(p, "cmdGetTag", &s), (QStringList{P + ".get_Tag()", "Succeeded. (\"42\")"}));
        QCOMPARE(s, scriptBlock(p, ".Tag", 8, 1));
        QCOMPARE(textOf(p, "txtGetTag"), u"42"_s);
        // An array has no plain text: the request fails and the box keeps the number.
        zput(p->m_ZelObj, "Tag", Value::fromArray(zel::Array{zel::VT_I4, 0, {Value::fromI4(1), Value::fromI4(2)}}));
        QCOMPARE(failuresShort(run.click(p, "cmdGetTag")), (QStringList{P + ".get_Tag()", "Failed."}));
        QCOMPARE(textOf(p, "txtGetTag"), u"42"_s);

        // Puts send the box as a text value, an empty box too.
        fill(p, {"txtPutTag="});
        QCOMPARE(run.click(p, "cmdPutTag", &s), (QStringList{P + ".put_Tag(" + logArg(Value::fromString({})) + u')', "Succeeded."}));
        QCOMPARE(s, scriptBlock(p, ".Tag", -1, 0, scriptArg(Value::fromString({}))));

        // The attribute request keeps its old spelling and quotes the number.
        const QString attr = zget(p->m_ZelObj, "Attribute").toPlainText();
        QCOMPARE(run.click(p, "cmdGetAttribute", &s), (QStringList{P + ".get_Attribte()", "Succeeded. (\"" + attr + "\")"}));
        QCOMPARE(s, scriptBlock(p, ".Attribute", 3, 1));
    }
};

QTEST_MAIN(TestExtensionPanel)
#include "tst_extension.moc"
