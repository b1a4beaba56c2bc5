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

enum Hook { HookReadContent = 1 };

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
const OpRow kOps[] = {
    {.button = "cmdGetFileName", .request = "get_Name", .member = "Name", .script = ".Name", .style = 1, .retType = 8,
     .box = "txtFileName", .fill = Fill::Plain, .line = Line::Quoted},
    {.button = "cmdGetPath", .request = "get_Path", .member = "Path", .script = ".Path", .style = 1, .retType = 8,
     .box = "txtPath", .fill = Fill::Plain, .line = Line::Quoted, .capability = "Get_Path"},
    {.button = "cmdGetSize", .request = "get_Size", .member = "Size", .script = ".Size", .style = 1, .retType = 3,
     .box = "txtSize", .fill = Fill::Plain, .line = Line::Quoted, .capability = "Get_Size"},
    {.button = "cmdGetType", .request = "get_Type", .member = "Type", .script = ".Type", .style = 1, .retType = 8,
     .box = "txtType", .fill = Fill::Plain, .line = Line::Quoted, .capability = "Get_Type"},
    {.button = "cmdGetAttribute", .request = "get_Attribute", .member = "Attribute", .script = ".Attribute", .style = 1,
     .retType = 3, .box = "txtAttribute", .fill = Fill::Plain, .line = Line::Quoted, .capability = "Get_Attribute"},
    {.button = "cmdGetCreated", .request = "get_DateCreated", .member = "DateCreated", .script = ".DateCreated",
     .style = 1, .retType = 12, .box = "txtCreated", .fill = Fill::Plain, .line = Line::Quoted,
     .capability = "Get_DateCreated"},
    {.button = "cmdGetLastAccessed", .request = "get_DateLastAccessed", .member = "DateLastAccessed",
     .script = ".DateLastAccessed", .style = 1, .retType = 12, .box = "txtLastAccessed", .fill = Fill::Plain,
     .line = Line::Quoted, .capability = "Get_DateLastAccessed"},
    {.button = "cmdGetLastModified", .request = "get_DateLastModified", .member = "DateLastModified",
     .script = ".DateLastModified", .style = 1, .retType = 12, .box = "txtLastModified", .fill = Fill::Plain,
     .line = Line::Quoted, .capability = "Get_DateLastModified"},
    {.button = "cmdGetHelp", .request = "get_Help", .member = "Help", .script = ".Help", .style = 1, .retType = 8,
     .box = "txtHelp", .fill = Fill::Plain, .line = Line::Quoted, .capability = "Get_Help"},

    // Content: the read writes its own type and result lines; the write sends the box's text or
    // the bytes last read, as the Type option says.
    {.button = "cmdGetValue", .request = "get_Value", .member = "Value", .script = ".Value", .style = 1,
     .retType = 12, .line = Line::None, .capability = "Get_Value", .hook = HookReadContent},
    {.button = "cmdPutValue", .request = "put_Value", .args = {{Arg::Panel, "txtValue"}}, .member = "Value",
     .kind = CallKind::PropertyPut, .script = ".Value", .style = 0, .retType = -1, .capability = "Put_Value",
     .noTips = true},

    // File operations.
    {.button = "cmdCopy", .request = "Copy", .args = {{Arg::Text, "txtDestinationFile"}, {Arg::Text, "txtCopyMoveOption"}},
     .member = "Copy", .kind = CallKind::Method, .script = ".Copy", .style = 2, .retType = -1, .capability = "Copy"},
    {.button = "cmdMove", .request = "Move", .args = {{Arg::Text, "txtDestinationFile"}, {Arg::Text, "txtCopyMoveOption"}},
     .member = "Move", .kind = CallKind::Method, .script = ".Move", .style = 2, .retType = -1, .capability = "Move"},
    {.button = "cmdDelete", .request = "Delete", .args = {{Arg::Text, "txtDeleteOption"}}, .member = "Delete",
     .kind = CallKind::Method, .script = ".Delete", .style = 2, .retType = -1, .capability = "Delete"},
    {.button = "cmdRun", .request = "Run", .args = {{Arg::Text, "txtRunOption"}}, .member = "Run",
     .kind = CallKind::Method, .script = ".Run", .style = 2, .retType = -1, .box = "txtTaskName", .fill = Fill::Plain,
     .line = Line::Quoted, .capability = "Run"},
    {.button = "cmdExecute", .request = "Execute",
     .args = {{Arg::Text, "txtExeCommand"}, {Arg::Typed, "txtExeParameter", "cmbValueType"}}, .member = "Execute",
     .kind = CallKind::Method, .script = ".Execute", .style = 2, .retType = -1, .box = "txtResult",
     .fill = Fill::Display, .line = Line::Value, .capability = "Execute"},

    // The file's own variables and files.
    {.button = "cmdGetNames_0", .request = "VariableNames", .args = {{Arg::Text, "txtVarNamesOption"}},
     .member = "VariableNames", .script = ".VariableNames", .style = 1, .retType = 12, .box = "lstNames_0",
     .fill = Fill::List, .line = Line::Value, .capability = "Get_VariableNames"},
    {.button = "cmdGetNames_1", .request = "FileNames", .args = {{Arg::Text, "txtFileNamesOption"}},
     .member = "FileNames", .script = ".FileNames", .style = 1, .retType = 12, .box = "lstNames_1",
     .fill = Fill::List, .line = Line::Value, .capability = "Get_FileNames"},
};

} // namespace

frmFile::frmFile(QWidget *parent) : PanelBase(PanelKind::File, parent)
{
    const QString get = QStringLiteral("Get");
    const QString put = QStringLiteral("Put");
    auto *outer = new QVBoxLayout(this);
    auto *columns = new QHBoxLayout;
    outer->addLayout(columns);
    auto *left = new QVBoxLayout;
    auto *right = new QVBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);

    // Properties.
    QGroupBox *main = frame("fraFile", QStringLiteral("ZelFile"));
    auto *grid = new QGridLayout(main);
    struct Prop {
        const char *caption, *box, *button;
    };
    static const Prop props[] = {
        {"Name : ", "txtFileName", "cmdGetFileName"},
        {"Path : ", "txtPath", "cmdGetPath"},
        {"Size : ", "txtSize", "cmdGetSize"},
        {"Type : ", "txtType", "cmdGetType"},
        {"Attribute : ", "txtAttribute", "cmdGetAttribute"},
        {"Created : ", "txtCreated", "cmdGetCreated"},
        {"LastAccessed : ", "txtLastAccessed", "cmdGetLastAccessed"},
        {"LastModified : ", "txtLastModified", "cmdGetLastModified"},
        {"Help : ", "txtHelp", "cmdGetHelp"},
    };
    int row = 0;
    for (const Prop &p : props)
        getRow(grid, row++, QLatin1String(p.caption), p.box, p.button);
    getPutRow(grid, row++, QStringLiteral("Ta&g : "), "txtGetTag", "txtPutTag", "cmdGetTag", "cmdPutTag");
    getPutRow(grid, row++, QStringLiteral("&ID : "), "txtGetID", "txtPutID", "cmdGetID", "cmdPutID");
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    left->addWidget(main);

    // Content.
    QGroupBox *valueFrame = frame("fraValue", QStringLiteral("Value"));
    auto *valueLayout = new QGridLayout(valueFrame);
    m_txtValue = new ContentBox(this);
    m_txtValue->setObjectName(QStringLiteral("txtValue"));
    m_txtValue->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_txtValue->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_txtValue->setMinimumHeight(110);
    valueLayout->addWidget(m_txtValue, 0, 0, 3, 1);
    valueLayout->addWidget(button("cmdGetValue", get), 0, 1);
    valueLayout->addWidget(button("cmdPutValue", put), 1, 1);
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
    auto page = [this](QTabWidget *tabs, const char *name, const QString &caption) {
        auto *w = new QWidget(tabs);
        w->setObjectName(QLatin1String(name));
        tabs->addTab(w, caption);
        auto *g = new QGridLayout(w);
        g->setColumnStretch(1, 1);
        return g;
    };
    QGridLayout *g = page(operations, "picOpeFrame_0", QStringLiteral("Copy/&Move"));
    addRow(g, 0, label(QStringLiteral("Desti&nation File : ")), {textBox("txtDestinationFile"), button("cmdCopy", QStringLiteral("Copy"))});
    addRow(g, 1, label(QStringLiteral("O&ption : ")), {textBox("txtCopyMoveOption"), button("cmdMove", QStringLiteral("Move"))});
    g->setRowStretch(2, 1);
    g = page(operations, "picOpeFrame_1", QStringLiteral("De&lete"));
    addRow(g, 0, label(QStringLiteral("O&ption : ")), {textBox("txtDeleteOption"), button("cmdDelete", QStringLiteral("Delete"))});
    g->setRowStretch(1, 1);
    g = page(operations, "picOpeFrame_2", QStringLiteral("R&un"));
    addRow(g, 0, label(QStringLiteral("O&ption : ")), {textBox("txtRunOption"), button("cmdRun", QStringLiteral("Run"))});
    addRow(g, 1, label(QStringLiteral("Task Name : ")), {textBox("txtTaskName", true)});
    g->setRowStretch(2, 1);
    g = page(operations, "picOpeFrame_3", QStringLiteral("&Execute"));
    addRow(g, 0, label(QStringLiteral("Comma&nd : ")), {textBox("txtExeCommand")});
    addRow(g, 1, label(QStringLiteral("T&ype : ")), {typeList("cmbValueType")});
    addRow(g, 2, label(QStringLiteral("&Parameter : ")), {textBox("txtExeParameter"), button("cmdExecute", QStringLiteral("Execute"))});
    addRow(g, 3, label(QStringLiteral("Result : ")), {resultBox("txtResult")});
    right->addWidget(operations);

    // The file's variables and files: the same controls on both pages, indexed by the page.
    auto *members = new QTabWidget(this);
    members->setObjectName(QStringLiteral("tabAddObj"));
    struct MemberPage {
        const char *page, *caption, *namesFrame, *addFrame, *namesOption, *addOption, *list, *getNames, *name, *add,
            *addCaption, *clear, *clearCaption;
    };
    static const MemberPage memberPages[] = {
        {"picAddFrame_0", " Va&riable", "VariableNames", "AddVariable", "txtVarNamesOption", "txtVarOption",
         "lstNames_0", "cmdGetNames_0", "txtName_0", "cmdGetVariable", "&Add...", "cmdVarClear", "Variables.&Clear"},
        {"picAddFrame_1", " &File", "FileNames", "AddFile", "txtFileNamesOption", "txtFileOption", "lstNames_1",
         "cmdGetNames_1", "txtName_1", "cmdGetFile", "&Add...", "cmdFileClear", "Files.&Clear"},
    };
    for (const MemberPage &m : memberPages) {
        auto *w = new QWidget(members);
        w->setObjectName(QLatin1String(m.page));
        members->addTab(w, QLatin1String(m.caption));
        auto *pageLayout = new QGridLayout(w);

        QGroupBox *addFrame = frame(nullptr, QLatin1String(m.addFrame));
        auto *addGrid = new QGridLayout(addFrame);
        addRow(addGrid, 0, label(QStringLiteral("Name : ")), {textBox(m.name)});
        addRow(addGrid, 1, label(QStringLiteral("Option : ")), {textBox(m.addOption), button(m.add, QLatin1String(m.addCaption))});
        addGrid->setColumnStretch(1, 1);

        QGroupBox *namesFrame = frame(nullptr, QLatin1String(m.namesFrame));
        auto *namesGrid = new QGridLayout(namesFrame);
        addRow(namesGrid, 0, label(QStringLiteral("Option : ")), {textBox(m.namesOption), button(m.getNames, get)});
        QListWidget *list = listBox(m.list);
        list->setMinimumHeight(60);
        QLabel *namesLabel = label(QStringLiteral("Names :  "));
        namesLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        namesGrid->addWidget(namesLabel, 1, 0);
        namesGrid->addWidget(list, 1, 1, 1, 2);
        namesGrid->setColumnStretch(1, 1);

        pageLayout->addWidget(addFrame, 0, 0);
        pageLayout->addWidget(namesFrame, 1, 0);
        pageLayout->setRowStretch(1, 1);
        auto *clearRow = new QHBoxLayout;
        clearRow->addWidget(button(m.clear, QLatin1String(m.clearCaption)));
        clearRow->addStretch(1);
        pageLayout->addLayout(clearRow, 2, 0);
    }
    right->addWidget(members, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(button("cmdFileDelete", QStringLiteral("&Delete")));
    buttons->addWidget(button("cmdFileHide", QStringLiteral("[ &Hide ]")));
    outer->addLayout(buttons);

    for (QPushButton *b : findChildren<QPushButton *>()) {
        if (b->text() == get || b->text() == put)
            b->setMaximumWidth(56);
    }

    addOperations(kOps);
    addOperations(kTagIdOps);
    bindDeleteHide("cmdFileDelete", "cmdFileHide");
    bindListToBox("lstNames_0", "txtName_0");
    bindListToBox("lstNames_1", "txtName_1");
    connect(control<QPushButton>("cmdGetVariable"), &QPushButton::clicked, this, [this] {
        addMember(PanelKind::Variable, control<QLineEdit>("txtName_0")->text(), control<QLineEdit>("txtVarOption")->text());
    });
    connect(control<QPushButton>("cmdGetFile"), &QPushButton::clicked, this, [this] {
        addMember(PanelKind::File, control<QLineEdit>("txtName_1")->text(), control<QLineEdit>("txtFileOption")->text());
    });
    connect(control<QPushButton>("cmdVarClear"), &QPushButton::clicked, this, [this] { clearMembers(PanelKind::Variable); });
    connect(control<QPushButton>("cmdFileClear"), &QPushButton::clicked, this, [this] { clearMembers(PanelKind::File); });

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

void frmFile::applyCapabilities()
{
    PanelBase::applyCapabilities();
    // The Add fields take their tips from the default variable and file definitions.
    bindAddTooltips(ksf::Variable, "txtName_0", "txtVarOption");
    bindAddTooltips(ksf::File, "txtName_1", "txtFileOption");
}

Value frmFile::argValue(const ArgDef &arg)
{
    if (qstrcmp(arg.box, "txtValue") == 0 && !m_optText->isChecked())
        return m_lastValue;
    return PanelBase::argValue(arg);
}

void frmFile::opHook(const OpRow &row, int stage, Value &result)
{
    if (row.hook == HookReadContent && stage == 1)
        showContent(result);
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
