#include "frmMessage.h"

#include "frmController.h"
#include "panelkit/AppState.h"
#include "panelkit/PanelHost.h"
#include "panelkit/textops.h"
#include "services/valuetext.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QVBoxLayout>

using namespace panel;
using zel::CallKind;
using zel::Value;
using zel::ZelError;

namespace {

const OpRow kReply = {.button = "cmdReply", .args = {{Arg::Typed, "txtSendData", "cmbValueType"}}, .member = "Reply",
                      .kind = CallKind::Method, .capability = "Reply", .tips = {"cmbValueType", "txtSendData"},
                      .recorded = false};
// Clear without a message writes only the failure line (the hook).
const OpRow kClear = {.button = "cmdClearMsg", .member = "Clear", .kind = CallKind::Method, .capability = "Clear",
                      .noTips = true, .hook = Hook::Before, .recorded = false};

const char *const kFieldBoxes[] = {"txtSerialNum", "txtMsgNum", "txtDateTime", "txtSource",
                                   "txtDestination", "txtDescription", "txtValue"};
const char *const kFieldLabels[] = {"SerialNumber :", "Number :", "DateTime :", "Source :",
                                    "Destination :", "Description :", "Value :"};

} // namespace

frmMessage::frmMessage(QWidget *parent) : PanelBase(PanelKind::Message, parent)
{
    setWindowTitle(QStringLiteral("ZelMessage"));
}

const char *frmMessage::fieldBox(int field)
{
    return field >= 0 && field < FieldCount ? kFieldBoxes[field] : nullptr;
}

void frmMessage::loadMessage()
{
    // A read that fails leaves its box empty: the text is made only from a value that was read.
    auto field = [this](const char *member, QString (*text)(const Value &)) {
        try {
            return m_Message ? text(m_Message->invoke(QLatin1String(member), CallKind::PropertyGet, {})) : QString();
        } catch (const ZelError &) {
            return QString();
        }
    };
    const auto plain = [](const Value &v) { return v.toPlainText(); };
    m_fields[SerialNum] = field("SerialNumber", plain);
    m_fields[MsgNum] = field("Number", plain);
    m_fields[DateTime] = field("DateTime", plain);
    m_fields[Source] = field("Source", plain);
    m_fields[Destination] = field("Destination", plain);
    m_fields[Description] = field("Description", plain);
    m_fields[ValueText] = field("Value", [](const Value &v) { return valuetext::displayText(v); });
    QString owner = m_frmParentCtrl ? m_frmParentCtrl->m_LogObjPath : QString();
    m_LogObjPath = owner + QStringLiteral(".Msg(\"") + m_fields[SerialNum] + QStringLiteral("\")");
    if (m_built) {
        for (int f = 0; f < FieldCount; ++f)
            control<QLineEdit>(kFieldBoxes[f])->setText(m_fields[f]);
    }
}

void frmMessage::ensureBuilt()
{
    if (m_built)
        return;
    m_built = true;
    auto *outer = new QVBoxLayout(this);
    QGroupBox *main = frame("fraMessage", QStringLiteral("ZelMessage"));
    auto *grid = new QGridLayout(main);
    for (int f = 0; f < FieldCount; ++f) {
        QLineEdit *box = resultBox(kFieldBoxes[f]);
        box->setFocusPolicy(Qt::ClickFocus);
        box->setText(m_fields[f]);
        box->setCursorPosition(0);
        addRow(grid, f, label(QLatin1String(kFieldLabels[f])), {box});
    }
    control("txtDescription")->setMinimumWidth(260);
    outer->addWidget(main);

    QGroupBox *reply = frame("fraReply", QStringLiteral("Reply"));
    auto *replyGrid = new QGridLayout(reply);
    const ArgDef &data = kReply.args[0];
    addRow(replyGrid, 0, label(QStringLiteral("T&ype :")), {typeList(data.combo)});
    addRow(replyGrid, 1, label(QStringLiteral("&Send Data :")), {textBox(data.box), opButton(kReply, QStringLiteral("&Reply"))});
    replyGrid->setColumnStretch(1, 1);
    outer->addWidget(reply);

    outer->addLayout(closeRow(opButton(kClear, QStringLiteral("&Clear")), "cmdDelete", "cmdHide", false));

    assertRowsResolve();
    bindTypeSelector(data.combo, data.box, kReply.button);
    connect(control<QLineEdit>(data.box), &QLineEdit::returnPressed, this, [this] {
        if (auto *b = control<QPushButton>(kReply.button); b && b->isEnabled())
            b->click();
    });
    connect(control<QPushButton>("cmdDelete"), &QPushButton::clicked, this, &frmMessage::deleteMessage);
    connect(control<QPushButton>("cmdHide"), &QPushButton::clicked, this, &frmMessage::hidePanel);
    if (m_DCEng) {
        try {
            applyCapabilities();
        } catch (const ZelError &) {
            // A definition that does not fit leaves the buttons as they are.
        }
    }
    if (hasApp() && app().host && !subWindow())
        app().host->addForm(this);
}

void frmMessage::showInFront()
{
    bool first = !m_built;
    ensureBuilt();
    showPanel();
    if (first) {
        // The reply is what the user came for.
        QWidget *start = control("txtSendData");
        (start->isEnabled() ? start : control("cmdReply"))->setFocus();
    }
    if (QMdiSubWindow *frame = subWindow())
        textops::bringToFront(frame);
}

void frmMessage::hidePanel()
{
    if (QMdiSubWindow *frame = subWindow())
        frame->hide();
    else
        hide();
}

bool frmMessage::isShown() const
{
    QMdiSubWindow *frame = subWindow();
    return frame ? frame->isVisible() : false;
}

void frmMessage::deleteMessage()
{
    if (m_frmParentCtrl)
        m_frmParentCtrl->deleteMessage(this);
    else
        closeByProgram();
}

void frmMessage::opHook(const OpRow &, Stage, Value &)
{
    // Clear without a message writes only the failure line.
    if (!m_Message)
        throw ZelError();
}

void frmMessage::onUnload()
{
    try {
        logRequest(QStringLiteral("Release()"));
    } catch (const ZelError &) {
    }
}
