#include "frmFile.h"

#include "panelkit/AppState.h"

#include <QButtonGroup>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace panel;
using zel::CallKind;
using zel::Value;

namespace {

// The content box: at the panel's natural size one line of the hexadecimal dump fits without
// scrolling; on a small client area the box, and the panel with it, can be narrower.
class ContentBox : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;

    QSize sizeHint() const override { return {widthFor(52), QPlainTextEdit::sizeHint().height()}; }
    QSize minimumSizeHint() const override { return {widthFor(20), QPlainTextEdit::minimumSizeHint().height()}; }

private:
    int widthFor(int characters) const
    {
        return fontMetrics().horizontalAdvance(QString(characters, QLatin1Char('0')))
               + verticalScrollBar()->sizeHint().width() + 12;
    }
};

// Every property row but Name and Tag answers to the definition; size, attribute and the dates
// are quoted in the result line like texts.
const OpRow kName = nameOp("cmdGetFileName", "txtFileName");
const OpRow kPath = getOp("cmdGetPath", "Path", "txtPath", Ret::Text, Line::Quoted, "Get_Path");
const OpRow kSize = getOp("cmdGetSize", "Size", "txtSize", Ret::Integer, Line::Quoted, "Get_Size");
const OpRow kType = getOp("cmdGetType", "Type", "txtType", Ret::Text, Line::Quoted, "Get_Type");
const OpRow kAttribute = attributeOp("cmdGetAttribute", "txtAttribute", Line::Quoted);
const OpRow kCreated = getOp("cmdGetCreated", "DateCreated", "txtCreated", Ret::Value, Line::Quoted, "Get_DateCreated");
const OpRow kLastAccessed = getOp("cmdGetLastAccessed", "DateLastAccessed", "txtLastAccessed", Ret::Value, Line::Quoted,
                                  "Get_DateLastAccessed");
const OpRow kLastModified = getOp("cmdGetLastModified", "DateLastModified", "txtLastModified", Ret::Value,
                                  Line::Quoted, "Get_DateLastModified");

// Content: the read writes its own type and result lines; the write sends the box's text or the
// bytes last read, as the Type option says.
const OpRow kGetValue = {.button = "cmdGetValue", .member = "Value", .ret = Ret::Value, .line = Line::None,
                         .capability = "Get_Value", .hook = Hook::After};
const OpRow kPutValue = [] {
    OpRow row = putOp("cmdPutValue", "Value", {Arg::Panel, "txtValue"}, "Put_Value");
    row.noTips = true;
    return row;
}();

// File operations.
const OpRow kCopy = methodOp("cmdCopy", "Copy", {{Arg::Text, "txtDestinationFile"}, {Arg::Text, "txtCopyMoveOption"}});
const OpRow kMove = methodOp("cmdMove", "Move", {{Arg::Text, "txtDestinationFile"}, {Arg::Text, "txtCopyMoveOption"}});
const OpRow kDelete = methodOp("cmdDelete", "Delete", {{Arg::Text, "txtDeleteOption"}});
const OpRow kRun = [] {
    OpRow row = methodOp("cmdRun", "Run", {{Arg::Text, "txtRunOption"}});
    row.box = "txtTaskName";
    row.fill = Fill::Plain;
    row.line = Line::Quoted;
    return row;
}();
const OpRow kExecute = executeOp("txtExeCommand", "txtExeParameter", Ret::None);

// The file's own variables and files: the same controls on both pages, numbered by the page.
const MemberGroup kGroups[] = {
    {PanelKind::Variable, "txtName_0", "txtVarOption", "cmdGetVariable", "txtVarNamesOption", "cmdGetNames_0",
     "lstNames_0", "cmdVarClear"},
    {PanelKind::File, "txtName_1", "txtFileOption", "cmdGetFile", "txtFileNamesOption", "cmdGetNames_1", "lstNames_1",
     "cmdFileClear"},
};

} // namespace

frmFile::frmFile(QWidget *parent) : PanelBase(PanelKind::File, parent)
{
    const QString get = QStringLiteral("Get");
    const QString put = QStringLiteral("Put");
    const auto [outer, columns, left] = columnLayout(1);
    auto *right = new QVBoxLayout;
    columns->addLayout(right, 1);

    // Properties.
    QGroupBox *main = propertyFrame("fraFile", QStringLiteral("ZelFile"),
                                    {{"Name : ", &kName},
                                     {"Path : ", &kPath},
                                     {"Size : ", &kSize},
                                     {"Type : ", &kType},
                                     {"Attribute : ", &kAttribute},
                                     {"Created : ", &kCreated},
                                     {"LastAccessed : ", &kLastAccessed},
                                     {"LastModified : ", &kLastModified},
                                     {"Help : ", &kHelpOp},
                                     {"Ta&g : ", &kGetTagOp, &kPutTagOp},
                                     {"&ID : ", &kGetIdOp, &kPutIdOp}});
    left->addWidget(main);

    // Content.
    QGroupBox *valueFrame = frame("fraValue", QStringLiteral("Value"));
    auto *valueLayout = new QGridLayout(valueFrame);
    m_txtValue = new ContentBox(this);
    m_txtValue->setObjectName(QLatin1String(kPutValue.args[0].box));
    m_txtValue->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_txtValue->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_txtValue->setMinimumHeight(110);
    valueLayout->addWidget(m_txtValue, 0, 0, 3, 1);
    valueLayout->addWidget(opButton(kGetValue, get), 0, 1);
    valueLayout->addWidget(opButton(kPutValue, put), 1, 1);
    QGroupBox *typeFrame = frame("fraSendType", QStringLiteral("&Type"));
    auto *typeLayout = new QVBoxLayout(typeFrame);
    m_optText = new QRadioButton(QStringLiteral("Text"), this);
    m_optText->setObjectName(QStringLiteral("optSendType_0"));
    m_optBinary = new QRadioButton(QStringLiteral("Binary"), this);
    m_optBinary->setObjectName(QStringLiteral("optSendType_1"));
    auto *sendType = new QButtonGroup(this);
    sendType->addButton(m_optText, 0);
    sendType->addButton(m_optBinary, 1);
    m_optText->setChecked(true);
    typeLayout->addWidget(m_optText);
    typeLayout->addWidget(m_optBinary);
    valueLayout->addWidget(typeFrame, 2, 1, Qt::AlignTop);
    valueLayout->setColumnStretch(0, 1);
    left->addWidget(valueFrame, 1);

    // Operations on the file, one page each.
    auto *operations = new QTabWidget(this);
    operations->setObjectName(QStringLiteral("tabOperation"));
    QGridLayout *g = gridPage(operations, QStringLiteral("picOpeFrame_0"), QStringLiteral("Copy/&Move"));
    addRow(g, 0, label(QStringLiteral("Desti&nation File : ")),
           {textBox(kCopy.args[0].box), opButton(kCopy, QStringLiteral("Copy"))});
    addRow(g, 1, label(QStringLiteral("O&ption : ")), {textBox(kCopy.args[1].box), opButton(kMove, QStringLiteral("Move"))});
    g->setRowStretch(2, 1);
    g = gridPage(operations, QStringLiteral("picOpeFrame_1"), QStringLiteral("De&lete"));
    addRow(g, 0, label(QStringLiteral("O&ption : ")), {textBox(kDelete.args[0].box), opButton(kDelete, QStringLiteral("Delete"))});
    g->setRowStretch(1, 1);
    g = gridPage(operations, QStringLiteral("picOpeFrame_2"), QStringLiteral("R&un"));
    addRow(g, 0, label(QStringLiteral("O&ption : ")), {textBox(kRun.args[0].box), opButton(kRun, QStringLiteral("Run"))});
    addRow(g, 1, label(QStringLiteral("Task Name : ")), {textBox(kRun.box, true)});
    g->setRowStretch(2, 1);
    executeRows(gridPage(operations, QStringLiteral("picOpeFrame_3"), QStringLiteral("&Execute")), kExecute, QStringLiteral("Comma&nd : "),
                QStringLiteral("T&ype : "), QStringLiteral("&Parameter : "), QStringLiteral("Execute"),
                QStringLiteral("Result : "));
    right->addWidget(operations);

    // The file's variables and files: the same controls on both pages, indexed by the page.
    auto *members = new QTabWidget(this);
    members->setObjectName(QStringLiteral("tabAddObj"));
    static const char *const pageCaptions[] = {" Va&riable", " &File"};
    for (int p = 0; p < 2; ++p) {
        const MemberGroup &m = kGroups[p];
        const KindInfo &info = kindInfo(m.kind);
        auto *w = new QWidget(members);
        w->setObjectName(QStringLiteral("picAddFrame_%1").arg(p));
        members->addTab(w, QLatin1String(pageCaptions[p]));
        auto *pageLayout = new QGridLayout(w);

        QGroupBox *addFrame = frame(nullptr, QLatin1String(info.addOp));
        auto *addGrid = new QGridLayout(addFrame);
        addRow(addGrid, 0, label(QStringLiteral("Name : ")), {textBox(m.nameBox)});
        addRow(addGrid, 1, label(QStringLiteral("Option : ")), {textBox(m.optionBox), button(m.addButton, QStringLiteral("&Add..."))});
        addGrid->setColumnStretch(1, 1);

        QGroupBox *namesFrame = frame(nullptr, QLatin1String(info.namesOp));
        auto *namesGrid = new QGridLayout(namesFrame);
        addRow(namesGrid, 0, label(QStringLiteral("Option : ")), {textBox(m.namesOption), button(m.namesButton, get)});
        namesList(namesGrid, 1, m, QStringLiteral("Names :  "))->setMinimumHeight(60);
        namesGrid->setColumnStretch(1, 1);

        pageLayout->addWidget(addFrame, 0, 0);
        pageLayout->addWidget(namesFrame, 1, 0);
        pageLayout->setRowStretch(1, 1);
        auto *clearRow = new QHBoxLayout;
        clearRow->addWidget(button(m.clearButton, QLatin1String(info.scriptColl) + QStringLiteral(".&Clear")));
        clearRow->addStretch(1);
        pageLayout->addLayout(clearRow, 2, 0);
        addMemberGroup(m);
    }
    right->addWidget(members, 1);

    outer->addLayout(closeRow(nullptr, "cmdFileDelete", "cmdFileHide"));

    for (QPushButton *b : findChildren<QPushButton *>()) {
        if (b->text() == get || b->text() == put)
            b->setMaximumWidth(56);
    }


    // The operations open on Execute, the members on Variable; only the shown page takes input.
    operations->setCurrentIndex(3);
    members->setCurrentIndex(0);
    bindExclusiveTabs(operations);
    bindExclusiveTabs(members);
}

QString frmFile::hexDump(const zel::Array &bytes)
{
    QString out;
    const qint32 last = bytes.upperBound();
    const qint32 end = std::min(last, kDumpLimit - 1);
    out.reserve(int(std::max(0, end - bytes.lowerBound + 1)) * 3 + 256);
    static const char digits[] = "0123456789ABCDEF";
    for (qint32 i = bytes.lowerBound; i <= end; ++i) {
        const quint8 b = quint8(bytes.items[i - bytes.lowerBound].integerValue());
        out += QLatin1Char(digits[b >> 4]);
        out += QLatin1Char(digits[b & 0x0F]);
        out += QLatin1Char(' ');
        const qint32 k = i + 1;
        if (k % 16 == 0 && i != last)
            out += QStringLiteral("\r\n");
        else if (k % 8 == 0)
            out += QStringLiteral("  ");
    }
    return out;
}

Value frmFile::argValue(const ArgDef &arg)
{
    if (qstrcmp(arg.box, "txtValue") == 0 && !m_optText->isChecked())
        return m_lastValue;
    return PanelBase::argValue(arg);
}

void frmFile::opHook(const OpRow &, Stage, Value &result)
{
    showContent(result); // the content read: its own type and result lines
}

void frmFile::showContent(const Value &value)
{
    AppState &a = app();
    m_lastValue = value;
    if (value.isString()) {
        a.logLine(QStringLiteral("Data Type:Text"));
        m_txtValue->setPlainText(value.stringValue());
        m_optText->setChecked(true);
    } else if (value.type() == (zel::VT_ARRAY | zel::VT_UI1)) {
        a.logLine(QStringLiteral("Data Type:Binary"));
        m_txtValue->setPlainText(hexDump(value.arrayValue()));
        m_optBinary->setChecked(true);
    } else {
        // Neither text nor bytes: a plain "Failed." and no result line.
        a.logLine(QStringLiteral("Failed."));
        return;
    }
    a.logLine(QStringLiteral("Succeeded. (<") + clsLogMsg::LogText(value) + QStringLiteral(">)"));
}
