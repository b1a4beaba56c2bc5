#include "frmController.h"

#include "frmMessage.h"
#include "panelkit/AppState.h"
#include "panelkit/frmPopupmenu.h"
#include "zel/controller.h"
#include "zel/errors.h"

#include <QAction>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace panel;
using zel::CallKind;
using zel::Value;
using zel::ZelError;

namespace {

const OpRow kName = nameOp("cmdGetName", "txtCtrlName");
const OpRow kAttribute = attributeOp("cmdGetAttr", "txtAttr", Line::Bare);
const OpRow kExecute = executeOp("txtCommand", "txtParameter", Ret::Value);
// Get Message: not recorded; the message handed out is listed by the hook.
const OpRow kGetMessage = {.button = "cmdGetMsg", .member = "GetMessage", .kind = CallKind::Method,
                           .hook = Hook::After, .recorded = false};

QString plainOrEmpty(const zel::ObjectPtr &obj, const char *member)
{
    try {
        return obj->invoke(QLatin1String(member), CallKind::PropertyGet, {}).toPlainText();
    } catch (const ZelError &) {
        return QString();
    }
}

// The key of a list entry by its text: everything before the first ";".
QString keyOfText(const QString &text)
{
    qsizetype semi = text.indexOf(QLatin1Char(';'));
    return semi < 0 ? text : text.left(semi);
}

} // namespace

// ---- the message-panel collection ---------------------------------------------------------------

ZelError MessagePanels::keyTaken(const QString &key)
{
    return ZelError(zel::E_INVALID_ARG, QStringLiteral("A message panel with the key %1 already exists").arg(key));
}

void MessagePanels::add(const QString &key, frmMessage *panel)
{
    if (m_panels.contains(key))
        throw keyTaken(key);
    m_keys << key;
    m_panels.insert(key, panel);
}

frmMessage *MessagePanels::takeFirst()
{
    if (m_keys.isEmpty())
        return nullptr;
    return m_panels.take(m_keys.takeFirst());
}

frmMessage *MessagePanels::item(const QString &key) const
{
    return m_panels.value(key);
}

frmMessage *MessagePanels::take(const QString &key)
{
    if (!m_panels.contains(key))
        return nullptr;
    m_keys.removeOne(key);
    return m_panels.take(key);
}

QList<frmMessage *> MessagePanels::items() const
{
    QList<frmMessage *> out;
    out.reserve(m_keys.size());
    for (const QString &key : m_keys)
        out << m_panels.value(key);
    return out;
}

// ---- the panel -----------------------------------------------------------------------------------

frmController::frmController(QWidget *parent) : PanelBase(PanelKind::Controller, parent)
{
    setWindowTitle(QStringLiteral("ZelController"));
    const auto [outer, top, left] = columnLayout(3);

    // The display boxes take the focus by mouse only; Tab goes from input to button.
    QGroupBox *main = propertyFrame("fraController", QStringLiteral("ZelController"),
                                    {{"Name :", &kName},
                                     {"Attribute :", &kAttribute},
                                     {"Help :", &kHelpOp},
                                     {"Ta&g :", &kGetTagOp, &kPutTagOp},
                                     {"ID :", &kGetIdOp, &kPutIdOp}},
                                    Qt::ClickFocus);
    left->addWidget(main);

    left->addWidget(executeFrame(kExecute, QStringLiteral("Command :"), QStringLiteral("&Parameter :")));
    control(kExecute.box)->setFocusPolicy(Qt::ClickFocus);

    QGroupBox *messages = frame("fraMessage", QStringLiteral("Recieved Message"));
    auto *msgLayout = new QVBoxLayout(messages);
    m_lstMessage = listBox("lstMessage");
    m_lstMessage->setMinimumWidth(240);
    m_lstMessage->viewport()->installEventFilter(this);
    msgLayout->addWidget(m_lstMessage, 1);
    auto *msgButtons = new QHBoxLayout;
    msgButtons->addStretch(1);
    msgButtons->addWidget(opButton(kGetMessage, QStringLiteral("Get &Message")));
    msgLayout->addLayout(msgButtons);
    top->addWidget(messages, 2);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tabController"));
    for (int page = 0; page < PageCount; ++page)
        m_tabs->addTab(memberPage(page), QLatin1String(kinds::pageRow(page)->pageCaption));
    outer->addWidget(m_tabs);

    outer->addLayout(closeRow(nullptr, "cmdCtrlDelete", "cmdCtrlHide"));

    // Keyboard order: properties, Execute, messages, the member pages, Delete and Hide.
    const char *const order[] = {"cmdGetName", "cmdGetAttr", "cmdGetHelp", "txtPutTag", "cmdGetTag", "cmdPutTag",
                                 "txtPutID", "cmdGetID", "cmdPutID", "txtCommand", "cmbValueType", "txtParameter",
                                 "cmdExecute", "lstMessage", "cmdGetMsg", "tabController"};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(control(order[i - 1]), control(order[i]));
    setTabOrder(m_tabs->widget(PageCount - 1)->findChild<QPushButton *>(QLatin1String(kinds::pageRow(PageCount - 1)->clearButton)),
                control("cmdCtrlDelete"));
    setTabOrder(control("cmdCtrlDelete"), control("cmdCtrlHide"));

    bindTypeSelector("cmbValueType", kExecute.args[1].box, kExecute.button);
    bindExclusiveTabs(m_tabs);
    connect(m_lstMessage, &QListWidget::itemDoubleClicked, this, &frmController::entryDoubleClicked);
}

frmController::~frmController()
{
    // Message panels that were never shown have no parent window; they go with this panel.
    for (frmMessage *p : m_ZelMess.items()) {
        if (p && !p->parentWidget())
            delete p;
    }
}

PanelKind frmController::pageKind(int page)
{
    const KindInfo *row = kinds::pageRow(page);
    return row ? row->kind : PanelKind::Variable;
}

QWidget *frmController::memberPage(int page)
{
    const KindInfo &info = *kinds::pageRow(page);
    auto number = [this, page](const char *name) { return keepText(QLatin1String(name) + QString::number(page)); };
    const MemberGroup group = {info.kind,       number("txtName_"),      info.optionBox,      info.addButton,
                               info.namesOption, number("cmdGetNames_"), number("lstNames_"), info.clearButton,
                               true,             true};
    auto *pic = new QWidget(this);
    pic->setObjectName(QStringLiteral("PicFrame_%1").arg(page));
    auto *layout = new QVBoxLayout(pic);
    auto *frames = new QHBoxLayout;
    layout->addLayout(frames);

    QGroupBox *add = frame(nullptr, QLatin1String(info.addOp));
    add->setObjectName(QStringLiteral("fraAdd_%1").arg(page));
    auto *addGrid = new QGridLayout(add);
    addGrid->setColumnStretch(1, 1);
    addRow(addGrid, 0, label(QStringLiteral("Name :")), {textBox(group.nameBox)});
    addRow(addGrid, 1, label(QStringLiteral("Option :")), {textBox(group.optionBox)});
    auto *addRowButtons = new QHBoxLayout;
    addRowButtons->addStretch(1);
    addRowButtons->addWidget(button(group.addButton, QStringLiteral("&Add...")));
    addGrid->addLayout(addRowButtons, 2, 0, 1, 2);
    addGrid->setRowStretch(3, 1);
    frames->addWidget(add, 1);

    QGroupBox *names = frame(nullptr, QLatin1String(info.namesFrame ? info.namesFrame : info.namesOp));
    names->setObjectName(QStringLiteral("fraNames_%1").arg(page));
    auto *namesGrid = new QGridLayout(names);
    namesGrid->setColumnStretch(1, 1);
    addRow(namesGrid, 0, label(QStringLiteral("Option :")), {textBox(group.namesOption), button(group.namesButton, QStringLiteral("Get"))});
    QListWidget *list = namesList(namesGrid, 1, group, QStringLiteral("Name&s :"));
    list->setMinimumHeight(list->fontMetrics().height() * 4);
    list->setMaximumHeight(list->fontMetrics().height() * 7);
    frames->addWidget(names, 1);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(button(group.clearButton, QLatin1String(info.scriptColl) + QStringLiteral(".&Clear")));
    bottom->addStretch(1);
    layout->addLayout(bottom);

    // Only the page's own controls, in reading order.
    const char *const order[] = {group.nameBox, group.optionBox, group.addButton, group.namesOption, group.namesButton,
                                 group.namesList, group.clearButton};
    for (size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(pic->findChild<QWidget *>(QLatin1String(order[i - 1])),
                             pic->findChild<QWidget *>(QLatin1String(order[i])));
    addMemberGroup(group);
    return pic;
}

void frmController::onLoad()
{
    m_tabs->setCurrentIndex(0);
    if (auto *c = qobject_cast<zel::ZelController *>(m_ZelObj.get())) {
        m_onMessage = connect(c, &zel::ZelController::OnMessage, this,
                              [this](const zel::ObjectPtr &message) { OnMessage(message); });
    }
}

void frmController::onUnload()
{
    disconnect(m_onMessage);
    // The message panels close with their controller, first to last.
    while (m_ZelMess.count() > 0) {
        frmMessage *p = m_ZelMess.takeFirst();
        try {
            if (p)
                p->closeByProgram();
        } catch (const ZelError &) {
        }
    }
}

// ---- messages ------------------------------------------------------------------------------------

void frmController::OnMessage(const zel::ObjectPtr &message)
{
    AppState &a = app();
    try {
        if (!message)
            throw ZelError(zel::E_UNEXPECTED, QStringLiteral("OnMessage delivered no message"));
        qint32 serial = message->invoke(QStringLiteral("SerialNumber"), CallKind::PropertyGet, {}).toInt32();
        logRequest(QStringLiteral("OnMessage(%1)").arg(serial));
        if (m_lstMessage->count() > MessageLimit) {
            QString name = m_ZelObj->invoke(QStringLiteral("Name"), CallKind::PropertyGet, {}).toPlainText();
            a.status(QStringLiteral("Message buffer overflow. : ") + name);
            return;
        }
        listMessage(message, serial);
    } catch (const ZelError &e) {
        a.logError(e);
    }
}

void frmController::listMessage(const zel::ObjectPtr &message, qint32 serial)
{
    AppState &a = app();
    const QString key = QString::number(serial);
    auto *entry = new QListWidgetItem(key + QStringLiteral("; ") + plainOrEmpty(message, "DateTime") + QStringLiteral("; ")
                                      + plainOrEmpty(message, "Description"));
    entry->setData(Qt::UserRole, serial);
    m_lstMessage->insertItem(0, entry);

    // A serial number that is already listed keeps its first panel; the new entry gets none.
    if (m_ZelMess.contains(key))
        throw MessagePanels::keyTaken(key);

    ksf::EntryPtr capability;
    try {
        if (m_DCEntry) {
            qint32 number = message->invoke(QStringLiteral("Number"), CallKind::PropertyGet, {}).toInt32();
            capability = m_DCEntry->findMemberOrDefault(ksf::Message, QString::number(number));
        }
    } catch (const ZelError &) {
    }
    auto *p = new frmMessage;
    p->m_DCEng = m_DCEng;
    p->m_DCEntry = capability;
    p->m_DCCtrlKey = m_DCCtrlKey;
    p->m_Message = message;
    p->m_frmParentCtrl = this;
    p->m_FormID = a.nextFormId();
    p->loadMessage();
    m_ZelMess.add(key, p);
}

QListWidgetItem *frmController::selectedEntry() const
{
    QListWidgetItem *item = m_lstMessage->currentItem();
    return item && item->isSelected() ? item : nullptr;
}

frmMessage *frmController::panelOfEntry(const QListWidgetItem *entry) const
{
    return entry ? m_ZelMess.item(QString::number(entry->data(Qt::UserRole).toInt())) : nullptr;
}

void frmController::showMessagePanel(frmMessage *panel)
{
    if (panel)
        panel->showInFront();
}

void frmController::entryDoubleClicked(QListWidgetItem *entry)
{
    if (!entry)
        return;
    showMessagePanel(m_ZelMess.item(keyOfText(entry->text())));
}

void frmController::readyBelowLimit()
{
    if (m_lstMessage->count() < MessageLimit)
        app().status(QStringLiteral("Ready"));
}

void frmController::deleteMessage(frmMessage *panel)
{
    if (!panel)
        return;
    const QString key = panel->key();
    bool ok = false;
    qint32 serial = key.toInt(&ok);
    for (int i = 0; ok && i < m_lstMessage->count(); ++i) {
        if (m_lstMessage->item(i)->data(Qt::UserRole).toInt() == serial) {
            delete m_lstMessage->takeItem(i);
            break;
        }
    }
    if (m_ZelMess.item(key) == panel)
        m_ZelMess.take(key);
    readyBelowLimit();
    panel->closeByProgram();
}

void frmController::popupMessageMenu()
{
    AppState &a = app();
    if (!a.popup)
        return;
    QListWidgetItem *entry = selectedEntry();
    frmMessage *p = panelOfEntry(entry);
    m_showTicked = entry && p && p->isShown();
    a.popup->ctrlItems[CtrlPopupShow]->setChecked(m_showTicked);
    a.popup->ctrlItems[CtrlPopupShow]->setEnabled(entry != nullptr);
    a.popup->ctrlItems[CtrlPopupDelete]->setEnabled(entry != nullptr);
    a.popup->ctrlItems[CtrlPopupClearList]->setEnabled(true);
    a.popup->popupController(this, this);
}

void frmController::SelectPopupMenu(int index)
{
    QListWidgetItem *entry = selectedEntry();
    frmMessage *p = panelOfEntry(entry);
    switch (index) {
    case CtrlPopupShow:
        if (!p)
            return;
        if (!m_showTicked)
            showMessagePanel(p);
        else
            p->hidePanel();
        break;
    case CtrlPopupDelete:
        if (p) {
            deleteMessage(p);
        } else if (entry) {
            // An entry whose panel could not be made goes by itself.
            delete m_lstMessage->takeItem(m_lstMessage->row(entry));
            readyBelowLimit();
        }
        break;
    case CtrlPopupClearList:
        m_lstMessage->clearSelection();
        m_lstMessage->setCurrentRow(-1);
        for (frmMessage *panel : m_ZelMess.items())
            deleteMessage(panel);
        // Entries whose panels could not be made leave with the rest.
        if (m_lstMessage->count() > 0) {
            m_lstMessage->clear();
            readyBelowLimit();
        }
        break;
    default:
        break;
    }
}

void frmController::opHook(const OpRow &, Stage stage, Value &result)
{
    // Get Message: a message handed out is listed like a pushed one, without the limit.
    if (stage == Stage::After && result.isObject() && result.objectValue()) {
        zel::ObjectPtr message = result.objectValue();
        qint32 serial = message->invoke(QStringLiteral("SerialNumber"), CallKind::PropertyGet, {}).toInt32();
        listMessage(message, serial);
    }
}

bool frmController::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease && watched == m_lstMessage->viewport()
        && static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
        popupMessageMenu();
    }
    return PanelBase::eventFilter(watched, event);
}
