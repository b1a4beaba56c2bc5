#include "PanelBase.h"

#include "AppState.h"
#include "PanelHost.h"
#include "iconset.h"
#include "services/valuetext.h"
#include "textops.h"
#include "valuetypelist.h"
#include "zel/converter.h"
#include "zel/errors.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidgetItem>
#include <cmath>

using namespace panel;
using zel::CallKind;
using zel::Value;
using zel::ZelError;

namespace {

const QString Q = QStringLiteral("\"");

QString quote(const QString &text)
{
    return Q + text + Q;
}

// A line edit that asks for room for a sample text when its panel opens at its natural size and
// still shrinks with the panel (its minimum is any line edit's).
class RoomyLineEdit : public QLineEdit {
public:
    // Room for the sample, or for that many characters of average width.
    RoomyLineEdit(const QString &sample, int characters, QWidget *parent)
        : QLineEdit(parent), m_sample(sample), m_characters(characters)
    {
    }

    QSize sizeHint() const override
    {
        QSize hint = QLineEdit::sizeHint();
        // The plain hint is room for 17 'x' plus the frame and the text margins.
        const QFontMetrics metrics = fontMetrics();
        const int chrome = hint.width() - 17 * metrics.horizontalAdvance(QLatin1Char('x'));
        const int text = qMax(metrics.horizontalAdvance(m_sample), m_characters * metrics.averageCharWidth());
        hint.setWidth(qMax(hint.width(), text + chrome));
        return hint;
    }

private:
    QString m_sample;
    int m_characters;
};

// A six-number pose with its type: what every display box has room for.
const QString kPoseSample = QStringLiteral("P(-599.963, 120.25, 400.5, 0.125, -90, 180) (BSTR)");
// The property rows (Name, Help, ...) have room for a one-line help text of this many characters.
constexpr int kHelpCharacters = 96;

// "path.member", or the member alone for the engine panel's empty path.
QString joinPath(const QString &path, const QString &member)
{
    return path.isEmpty() ? member : path + QLatin1Char('.') + member;
}


// Text of a box of any kind: a line edit, an editable or plain list, a multi-line box.
QString textOf(QWidget *w)
{
    if (auto *e = qobject_cast<QLineEdit *>(w))
        return e->text();
    if (auto *c = qobject_cast<QComboBox *>(w))
        return c->currentText();
    if (auto *p = qobject_cast<QPlainTextEdit *>(w))
        return p->toPlainText();
    return QString();
}

void setTextOf(QWidget *w, const QString &text)
{
    if (auto *e = qobject_cast<QLineEdit *>(w)) {
        e->setText(text);
        if (e->isReadOnly())
            e->setCursorPosition(0); // a long result shows its beginning
    } else if (auto *p = qobject_cast<QPlainTextEdit *>(w))
        p->setPlainText(text);
    else if (auto *c = qobject_cast<QComboBox *>(w))
        c->setCurrentText(text);
}

// The number at the start of a text ("2: 3D Linear" gives 2, "12abc" 12, none 0), rounded to
// a 32-bit integer, halves to even.
qint32 leadingNumber(const QString &text)
{
    QString t = text.trimmed();
    int i = 0;
    if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
        ++i;
    int digitsEnd = i;
    bool point = false;
    while (digitsEnd < t.size() && (t[digitsEnd].isDigit() || (t[digitsEnd] == QLatin1Char('.') && !point))) {
        point = point || t[digitsEnd] == QLatin1Char('.');
        ++digitsEnd;
    }
    bool ok = false;
    double d = t.left(digitsEnd).toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return 0;
    double r = std::nearbyint(d);
    return r < INT32_MIN || r > INT32_MAX ? 0 : qint32(r);
}

// The request member of a row: its own, or get_/put_ and the member, or the method's name.
QString requestOf(const OpRow &row)
{
    if (row.request)
        return QLatin1String(row.request);
    const QLatin1String member(row.member);
    switch (row.kind) {
    case CallKind::PropertyGet:
        return QStringLiteral("get_") + member;
    case CallKind::PropertyPut:
        return QStringLiteral("put_") + member;
    default:
        return member;
    }
}

ZelError notANumber(const QString &text, const char *what)
{
    return ZelError(zel::E_TYPE_MISMATCH, QStringLiteral("'%1' is not %2").arg(text, QLatin1String(what)));
}

} // namespace

namespace panel {
qint32 wholeNumber(const QString &text)
{
    double d = 0;
    if (!valuetext::isNumericText(text, &d))
        throw notANumber(text, "a number");
    const double r = std::nearbyint(d);
    if (r < INT32_MIN || r > INT32_MAX)
        throw ZelError(zel::E_OVERFLOW, QStringLiteral("'%1' does not fit a 32-bit integer").arg(text));
    return qint32(r);
}

} // namespace panel

PanelBase::PanelBase(PanelKind kind, QWidget *parent) : ZelForm(parent), m_kind(kind)
{
    setObjectName(QLatin1String(kindInfo(kind).formName));
    setAttribute(Qt::WA_DeleteOnClose, false);
}

PanelBase::~PanelBase() = default;

// ---- life cycle -------------------------------------------------------------------------------

void PanelBase::load()
{
    AppState &a = app();
    const KindInfo &info = kindInfo(m_kind);
    QString name;
    if (m_kind == PanelKind::Engine)
        name = QStringLiteral("ZelEngine");
    else
        name = m_ZelObj->invoke(QStringLiteral("Name"), CallKind::PropertyGet, {}).toPlainText();

    QString unique = m_ZelObj ? m_ZelObj->identity() : QString();
    m_TreeNode = a.host->AddTreeNode(unique, m_ParentNode, name, QLatin1String(info.image));
    m_TreeNode->setData(0, Qt::UserRole, m_FormID);
    setWindowTitle(m_kind == PanelKind::Engine ? name : QLatin1String(info.kindWord) + QStringLiteral(" - ") + name);
    setWindowIcon(zelIcon(QLatin1String(info.image)));

    if (m_kind == PanelKind::Workspace) {
        m_LogObjPath = QStringLiteral("Wss(") + quote(name) + QLatin1Char(')');
        m_CsrObjPath = QStringLiteral("zel");
    } else if (m_kind != PanelKind::Engine) {
        if (PanelBase *owner = ownerPanel()) {
            m_LogObjPath = owner->m_LogObjPath + QLatin1Char('.') + QLatin1String(info.logColl) + QLatin1Char('(') + quote(name) + QLatin1Char(')');
            m_CsrObjPath = owner->m_CsrObjPath + QLatin1Char('.') + QLatin1String(info.scriptColl) + QLatin1Char('(') + quote(name) + QLatin1Char(')');
        }
    }
    assertRowsResolve();
    if (!subWindow())
        a.host->addForm(this);
    if (m_DCEng) {
        try {
            applyCapabilities();
        } catch (const ZelError &) {
            // A definition that does not fit leaves the buttons as they are.
        }
    }
    onLoad();
}

void PanelBase::showPanel()
{
    QMdiSubWindow *frame = showFrame();
    if (!frame)
        return;
    frame->raise();
    if (QMdiArea *area = frame->mdiArea())
        area->setActiveSubWindow(frame);
}

PanelBase *PanelBase::ownerPanel() const
{
    if (!m_ParentNode || !hasApp() || !app().host)
        return nullptr;
    return qobject_cast<PanelBase *>(app().host->findForm(m_ParentNode));
}

PanelBase *PanelBase::createMemberPanel(PanelKind kind, const zel::ObjectPtr &member, const zel::ObjectPtr &collection,
                                        const ksf::EntryPtr &ksfEntry, const ksf::EntryPtr &capability)
{
    PanelBase *p = createPanel(kind);
    p->m_ZelObj = member;
    p->m_ZelObjs = collection;
    p->m_DCEng = m_DCEng;
    p->m_DCEntry = capability;
    p->m_DCCtrlKey = m_DCCtrlKey;
    p->m_KSFObj = ksfEntry;
    p->m_ParentNode = m_TreeNode;
    p->m_FormID = app().nextFormId();
    try {
        p->load();
    } catch (...) {
        p->closeByProgram();
        throw;
    }
    return p;
}

// ---- access keys ---------------------------------------------------------------------------------

namespace {
// The panel's controls that carry an access key, in the panel's order: what they do when the
// key is pressed. The main window's menu bar uses some of the same letters.
bool runAccessKey(QWidget *panel, const QKeySequence &key, bool run)
{
    QList<std::function<void()>> targets;
    QWidget *focus = QApplication::focusWidget();
    int afterFocus = -1;
    for (QWidget *w : panel->findChildren<QWidget *>()) {
        if (!w->isVisible() || !w->isEnabled())
            continue;
        if (auto *b = qobject_cast<QAbstractButton *>(w)) {
            if (QKeySequence::mnemonic(b->text()) == key) {
                if (b == focus)
                    afterFocus = int(targets.size());
                targets << [b] {
                    b->setFocus(Qt::ShortcutFocusReason);
                    b->click();
                };
            }
        } else if (auto *l = qobject_cast<QLabel *>(w)) {
            QWidget *buddy = l->buddy();
            if (buddy && buddy->isVisible() && buddy->isEnabled() && QKeySequence::mnemonic(l->text()) == key) {
                if (buddy == focus)
                    afterFocus = int(targets.size());
                targets << [buddy] { buddy->setFocus(Qt::ShortcutFocusReason); };
            }
        } else if (auto *bar = qobject_cast<QTabBar *>(w)) {
            for (int i = 0; i < bar->count(); ++i) {
                if (bar->isTabEnabled(i) && QKeySequence::mnemonic(bar->tabText(i)) == key)
                    targets << [bar, i] { bar->setCurrentIndex(i); };
            }
        }
    }
    if (targets.isEmpty())
        return false;
    // Two controls of one key take turns, as the toolkit's own access keys do.
    if (run)
        targets[(afterFocus + 1) % targets.size()]();
    return true;
}

// Runs an access key on the key press that follows the panel's claim of it, wherever the focus
// is, and eats the press (a list would otherwise search for the letter).
class AccessKeyPress : public QObject {
public:
    AccessKeyPress(QWidget *panel, const QKeySequence &key, int keyCode) : m_panel(panel), m_key(key), m_keyCode(keyCode)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (m_done || (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease))
            return false;
        m_done = true;
        deleteLater();
        if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent *>(event)->key() != m_keyCode || !m_panel)
            return false;
        runAccessKey(m_panel, m_key, true);
        return true;
    }

private:
    QPointer<QWidget> m_panel;
    QKeySequence m_key;
    int m_keyCode;
    bool m_done = false;
};
} // namespace

bool PanelBase::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        auto *ke = static_cast<QKeyEvent *>(event);
        Qt::KeyboardModifiers mods = ke->modifiers() & ~Qt::KeypadModifier;
        QKeySequence key(ke->key() | Qt::AltModifier);
        if (mods == Qt::AltModifier && ke->key() >= Qt::Key_0 && ke->key() <= Qt::Key_Z) {
            if (event->type() == QEvent::ShortcutOverride) {
                // Claimed here so that the menu bar does not take it; run on the press.
                if (runAccessKey(this, key, false)) {
                    new AccessKeyPress(this, key, ke->key());
                    event->accept();
                    return true;
                }
            } else if (runAccessKey(this, key, true)) {
                event->accept();
                return true;
            }
        }
    }
    return ZelForm::event(event);
}

void PanelBase::unloadForm()
{
    if (m_bUnloadCol && m_ZelObj && m_ZelObjs)
        removeFromCollection();
    onUnload();
    m_ZelObj.reset();
    m_ZelObjs.reset();
    m_KSFObj.reset();
    m_DCEng.reset();
    m_DCEntry.reset();
}

void PanelBase::removeFromCollection()
{
    // Each step runs even when the one before it failed; nothing here reaches the user as an error.
    qint32 index = -1;
    try {
        index = m_ZelObj->invoke(QStringLiteral("Index"), CallKind::PropertyGet, {}).toInt32();
    } catch (const ZelError &) {
        return;
    }
    if (index == -1)
        return;
    AppState &a = app();
    const KindInfo &info = kindInfo(m_kind);
    PanelBase *owner = ownerPanel();
    QString ownerLog = owner ? owner->m_LogObjPath : QString();
    QString ownerScript = owner ? owner->m_CsrObjPath : QString();
    try {
        a.logLine(joinPath(ownerLog, QLatin1String(info.logColl)) + QStringLiteral(".Remove(<")
                  + clsLogMsg::LogText(Value::fromI4(index)) + QStringLiteral(">)"));
    } catch (const ZelError &) {
    }
    if (*info.scriptColl) {
        try {
            a.recordScript(joinPath(ownerScript, QLatin1String(info.scriptColl)) + QStringLiteral(".Remove"), -1, 2,
                           QString::number(index));
        } catch (const ZelError &) {
        }
    }
    try {
        m_ZelObjs->invoke(QStringLiteral("Remove"), CallKind::Method, {Value::fromI4(index)});
    } catch (const ZelError &) {
    }
    try {
        a.logLine(QStringLiteral("Succeeded."));
    } catch (const ZelError &) {
    }
    // The owner's KSF record forgets the entry.
    try {
        if (m_KSFObj) {
            if (m_kind == PanelKind::Controller) {
                if (owner && owner->workspaceDocument())
                    owner->workspaceDocument()->removeController(m_KSFObj->name());
            } else if (owner && owner->m_KSFObj) {
                owner->m_KSFObj->removeMember(int(m_kind), m_KSFObj->name());
            }
        }
    } catch (const ZelError &) {
    }
}

// ---- capabilities -----------------------------------------------------------------------------

void PanelBase::applyCapabilities()
{
    if (m_kind == PanelKind::Controller) {
        m_DCCtrlKey = m_DCEntry ? m_DCEntry->key() : QString();
        bindCapabilities(m_DCEng->capabilitySet(m_DCCtrlKey));
    } else if (int(m_kind) >= 1) {
        bindCapabilities(memberCapabilitySet(int(m_kind)));
    }
    // The Add fields take their tips from the kind's default definition.
    for (const MemberGroup &group : m_groups)
        bindAddTooltips(kindInfo(group.kind).ksfCode, group.nameBox, group.optionBox);
}

ksf::CapabilitySetPtr PanelBase::memberCapabilitySet(int ksfKind) const
{
    if (!m_DCEng)
        return nullptr;
    QString entryName = m_DCEntry && m_DCEntry->kind() == ksfKind ? m_DCEntry->name() : QString();
    ksf::CapabilitySetPtr set = m_DCEng->capabilitySet(ksfKind, m_DCCtrlKey, entryName);
    if (!set && !entryName.isEmpty())
        set = m_DCEng->capabilitySet(ksfKind, m_DCCtrlKey, QString());
    return set;
}

void PanelBase::bindCapabilities(const ksf::CapabilitySetPtr &set)
{
    for (const OpRow *rowPtr : m_ops) {
        const OpRow &row = *rowPtr;
        if (!row.capability)
            continue;
        ksf::OperationPtr op = set ? set->operation(QLatin1String(row.capability)) : nullptr;
        if (QWidget *b = control(row.button)) {
            if (op)
                m_capabilityDisabled.remove(b);
            else
                m_capabilityDisabled.insert(b);
            b->setEnabled(op != nullptr);
        }
        if (row.noTips)
            continue;
        int tip = 0;
        for (int k = 0; k < 4; ++k) {
            const char *boxName = row.tips[0] ? row.tips[k] : row.args[k].box;
            if (!boxName)
                continue;
            if (QWidget *box = control(boxName))
                box->setToolTip(op ? op->argumentDescription(tip + 1) : QString());
            ++tip;
        }
    }
}

void PanelBase::bindAddTooltips(int ksfKind, const char *nameBox, const char *optionBox)
{
    if (!m_DCEng)
        return;
    ksf::CapabilitySetPtr set = m_DCEng->capabilitySet(ksfKind, m_DCCtrlKey, QString());
    ksf::OperationPtr op = set ? set->operation(QString()) : nullptr;
    if (QWidget *w = control(nameBox))
        w->setToolTip(op ? op->argumentDescription(1) : QString());
    if (QWidget *w = control(optionBox))
        w->setToolTip(op ? op->argumentDescription(2) : QString());
}

void PanelBase::setButtonEnabled(QWidget *b, bool enabled)
{
    if (b)
        textops::setEnabledLook(b, enabled && !m_capabilityDisabled.contains(b));
}

// ---- the call routine -------------------------------------------------------------------------

void PanelBase::addOperations(const OpRow *rows, int count)
{
    for (int i = 0; i < count; ++i) {
        const OpRow *row = &rows[i];
        if (!m_ops.contains(row))
            m_ops << row;
        if (m_connected.contains(row))
            continue;
        if (auto *b = control<QPushButton>(row->button)) {
            connect(b, &QPushButton::clicked, this, [this, row] { runOp(*row); });
            m_connected.insert(row);
        }
    }
}

void PanelBase::addOperations(std::initializer_list<const OpRow *> rows)
{
    for (const OpRow *row : rows)
        addOperations(row, 1);
}

void PanelBase::assertRowsResolve() const
{
#ifndef NDEBUG
    if (const QStringList missing = unresolvedControls(); !missing.isEmpty())
        qFatal("%s: operation rows name missing controls: %s", kindInfo(m_kind).formName, qPrintable(missing.join(u", ")));
#endif
}

QStringList PanelBase::unresolvedControls() const
{
    QStringList missing;
    for (const OpRow *row : m_ops) {
        QList<const char *> names = {row->button, row->box, row->typeCombo};
        for (const ArgDef &arg : row->args)
            names << arg.box << arg.combo;
        for (const char *tip : row->tips)
            names << tip;
        for (const char *name : names) {
            if (name && !control(name))
                missing << QLatin1String(row->button) + QStringLiteral(": ") + QLatin1String(name);
        }
        if (!m_connected.contains(row))
            missing << QLatin1String(row->button) + QStringLiteral(": not connected");
    }
    return missing;
}

const OpRow *PanelBase::findOp(const QString &button) const
{
    for (const OpRow *row : m_ops) {
        if (button == QLatin1String(row->button))
            return row;
    }
    return nullptr;
}

void PanelBase::runOperation(const QString &buttonName)
{
    if (const OpRow *row = findOp(buttonName))
        runOp(*row);
}

void PanelBase::opHook(const OpRow &, Stage, Value &) {}

Value PanelBase::argValue(const ArgDef &arg)
{
    return Value::fromString(textOf(control(arg.box)));
}

void PanelBase::buildArgs(const OpRow &row, QStringList &logArgs, QStringList &scriptArgs, QList<Value> &values,
                             QList<int> &deferred)
{
    for (const ArgDef &arg : row.args) {
        if (arg.kind == Arg::None)
            break;
        QString text = textOf(control(arg.box));
        switch (arg.kind) {
        case Arg::None:
            break;
        case Arg::Text:
            logArgs << quote(text);
            scriptArgs << quote(text);
            values << Value::fromString(text);
            break;
        case Arg::TextRawLog:
            logArgs << text;
            scriptArgs << quote(text);
            values << Value::fromString(text);
            break;
        case Arg::TextValue:
        case Arg::Typed:
        case Arg::Panel: {
            Value v = arg.kind == Arg::Panel ? argValue(arg) : Value::fromString(text);
            if (arg.kind == Arg::Typed) {
                auto *combo = control<QComboBox>(arg.combo);
                v = valuetext::textToValue(text, combo ? combo->currentIndex() : valuetext::kPosBstr,
                                           [](const QString &line) { app().logLine(line); });
            }
            logArgs << QLatin1Char('<') + clsLogMsg::LogText(v) + QLatin1Char('>');
            scriptArgs << clsScriptGen::Variant2Script(v);
            values << v;
            break;
        }
        case Arg::RawInt:
        case Arg::RawFloat:
            logArgs << text;
            scriptArgs << text;
            deferred << int(values.size());
            values << Value::fromString(text);
            break;
        case Arg::LeadInt: {
            qint32 n = leadingNumber(text);
            logArgs << QString::number(n);
            scriptArgs << QString::number(n);
            values << Value::fromI4(n);
            break;
        }
        case Arg::RoundedInt: {
            qint32 n = panel::wholeNumber(text);
            logArgs << QString::number(n);
            scriptArgs << QString::number(n);
            values << Value::fromI4(n);
            break;
        }
        }
    }
}

void PanelBase::convertDeferred(const OpRow &row, const QList<int> &deferred, QList<Value> &values)
{
    int valueIndex = 0;
    for (const ArgDef &arg : row.args) {
        if (arg.kind == Arg::None)
            break;
        if (deferred.contains(valueIndex)) {
            QString text = values[valueIndex].stringValue();
            if (arg.kind == Arg::RawInt) {
                values[valueIndex] = Value::fromI4(panel::wholeNumber(text));
            } else {
                double d = 0;
                if (!valuetext::isNumericText(text, &d))
                    throw notANumber(text, "a number");
                if (std::fabs(d) > double(std::numeric_limits<float>::max()))
                    throw ZelError(zel::E_OVERFLOW, QStringLiteral("'%1' does not fit a single real").arg(text));
                values[valueIndex] = Value::fromR4(float(d));
            }
        }
        ++valueIndex;
    }
}

void PanelBase::runOp(const OpRow &row)
{
    AppState &a = app();
    Value result;
    try {
        if (row.hook == Hook::Before || row.hook == Hook::Both)
            opHook(row, Stage::Before, result);
        QStringList logArgs, scriptArgs;
        QList<Value> values;
        QList<int> deferred;
        buildArgs(row, logArgs, scriptArgs, values, deferred);
        if (row.fill == Fill::List) {
            if (auto *list = control<QListWidget>(row.box))
                list->clear();
        }
        logRequest(requestOf(row) + QLatin1Char('(') + logArgs.join(QStringLiteral(", ")) + QLatin1Char(')'));
        if (row.recorded) {
            const QString script = row.script ? QLatin1String(row.script) : QLatin1Char('.') + QLatin1String(row.member);
            record(script, int(row.ret), scriptStyle(row.kind), scriptArgs.join(QStringLiteral(", ")));
        }
        convertDeferred(row, deferred, values);
        zel::ObjectPtr target = m_ZelObj;
        if (target && row.target)
            target = target->invoke(QLatin1String(row.target), CallKind::PropertyGet, {}).objectValue();
        if (!target)
            throw ZelError(zel::E_UNEXPECTED, QStringLiteral("The panel holds no object"));
        result = target->invoke(QLatin1String(row.member), row.kind, values);
        if (row.hook == Hook::After || row.hook == Hook::Both)
            opHook(row, Stage::After, result);
        showResult(row, result);
    } catch (const ZelError &e) {
        a.logError(e);
    }
}

void PanelBase::showResult(const OpRow &row, const Value &result)
{
    QWidget *box = row.box ? control(row.box) : nullptr;
    switch (row.fill) {
    case Fill::None:
        break;
    case Fill::Plain:
        setTextOf(box, result.toPlainText());
        break;
    case Fill::Display:
        setTextOf(box, valuetext::displayText(result));
        break;
    case Fill::AfterComma: {
        QString basis = valuetext::typeAndText(result);
        setTextOf(box, basis.mid(basis.indexOf(QLatin1Char(',')) + 1));
        if (auto *combo = control<QComboBox>(row.typeCombo))
            combo->setCurrentIndex(valuetext::typeToPosition(result.type()));
        break;
    }
    case Fill::List:
        if (auto *list = qobject_cast<QListWidget *>(box); list && result.isArray()) {
            for (const Value &item : result.arrayValue().items) {
                try {
                    list->addItem(item.toPlainText());
                } catch (const ZelError &) {
                    list->addItem(zel::valueText(item));
                }
            }
        }
        break;
    }
    QString boxText = box ? textOf(box) : (row.line == Line::Quoted || row.line == Line::Bare ? result.toPlainText() : QString());
    switch (row.line) {
    case Line::Done:
        app().logLine(QStringLiteral("Succeeded."));
        break;
    case Line::Quoted:
        app().logLine(QStringLiteral("Succeeded. (") + quote(boxText) + QLatin1Char(')'));
        break;
    case Line::Bare:
        app().logLine(QStringLiteral("Succeeded. (") + boxText + QLatin1Char(')'));
        break;
    case Line::Value:
        app().logLine(QStringLiteral("Succeeded. (<") + clsLogMsg::LogText(result) + QStringLiteral(">)"));
        break;
    case Line::None:
        break;
    }
}

void PanelBase::logRequest(const QString &member)
{
    app().logLine(joinPath(m_LogObjPath, member));
}

void PanelBase::record(const QString &member, int retType, int style, const QString &arg)
{
    app().recordScript(m_CsrObjPath + member, retType, style, arg);
}

// ---- shared patterns ----------------------------------------------------------------------------

void PanelBase::addMember(PanelKind memberKind, const QString &name, const QString &option)
{
    AppState &a = app();
    const KindInfo &info = kindInfo(memberKind);
    a.status(QLatin1String(info.statusAdd));
    if (m_ZelObj) {
        try {
            QString args = quote(name) + QStringLiteral(", ") + quote(option);
            logRequest(QLatin1String(info.addOp) + QLatin1Char('(') + args + QLatin1Char(')'));
            record(QLatin1Char('.') + QLatin1String(info.addOp), int(Ret::Object), scriptStyle(CallKind::Method), args);
            Value r = m_ZelObj->invoke(QLatin1String(info.addOp), CallKind::Method,
                                       {Value::fromString(name), Value::fromString(option)});
            zel::ObjectPtr member = r.isObject() ? r.objectValue() : nullptr;
            if (!member)
                throw ZelError();
            // The KSF record mirrors the member under the name as typed.
            ksf::EntryPtr entry;
            if (m_KSFObj) {
                entry = m_KSFObj->addMember(int(memberKind), name);
                entry->setOption(option);
            }
            ksf::EntryPtr capability;
            if (m_DCEntry)
                capability = m_DCEntry->findMemberOrDefault(int(memberKind), name);
            zel::ObjectPtr collection =
                m_ZelObj->invoke(QLatin1String(info.scriptColl), CallKind::PropertyGet, {}).objectValue();
            PanelBase *p = createMemberPanel(memberKind, member, collection, entry, capability);
            p->showPanel();
            if (m_TreeNode)
                m_TreeNode->setExpanded(true);
            a.logLine(QStringLiteral("Succeeded."));
        } catch (const ZelError &e) {
            a.logError(e);
        }
    }
    a.status(QStringLiteral("Ready"));
}

void PanelBase::clearMembers(PanelKind memberKind)
{
    const KindInfo &info = kindInfo(memberKind);
    clearCollection(QLatin1String(info.statusClear), QLatin1String(info.logColl), QLatin1String(info.scriptColl), true);
}

void PanelBase::clearCollection(const QString &statusText, const QString &logColl, const QString &collectionName,
                                bool recorded)
{
    AppState &a = app();
    a.status(statusText);
    if (m_ZelObj) {
        try {
            logRequest(logColl + QStringLiteral(".Clear()"));
            if (recorded)
                record(QLatin1Char('.') + collectionName + QStringLiteral(".Clear"), int(Ret::None), scriptStyle(CallKind::Method), QString());
            zel::ObjectPtr collection = m_ZelObj->invoke(collectionName, CallKind::PropertyGet, {}).objectValue();
            if (!collection)
                throw ZelError(zel::E_UNEXPECTED, QStringLiteral("The object has no %1 collection").arg(collectionName));
            collection->invoke(QStringLiteral("Clear"), CallKind::Method, {});
            a.logLine(QStringLiteral("Succeeded."));
        } catch (const ZelError &e) {
            a.logError(e);
        }
    }
    a.status(QStringLiteral("Ready"));
}

void PanelBase::bindTypeSelector(const char *comboName, const char *boxName, const char *buttonName)
{
    auto *combo = control<QComboBox>(comboName);
    if (!combo)
        return;
    auto apply = [this, boxName, buttonName](int pos) {
        bool noText = pos == valuetext::kPosEmpty || pos == valuetext::kPosNull || pos == valuetext::kPosUnknown;
        textops::setEnabledLook(control(boxName), !noText);
        setButtonEnabled(control(buttonName), pos != valuetext::kPosUnknown);
    };
    connect(combo, &QComboBox::currentIndexChanged, this, apply);
    apply(combo->currentIndex());
}

void PanelBase::bindExclusiveTabs(QTabWidget *tabs)
{
    auto apply = [tabs](int current) {
        for (int i = 0; i < tabs->count(); ++i)
            tabs->widget(i)->setEnabled(i == current);
    };
    connect(tabs, &QTabWidget::currentChanged, this, apply);
    apply(tabs->currentIndex());
}

void PanelBase::bindListToBox(const char *listName, const char *boxName)
{
    if (auto *list = control<QListWidget>(listName)) {
        connect(list, &QListWidget::itemClicked, this, [this, boxName](QListWidgetItem *item) {
            if (auto *box = control<QLineEdit>(boxName))
                box->setText(item->text());
        });
    }
}

QGroupBox *PanelBase::executeFrame(const OpRow &execute, const QString &commandCaption, const QString &parameterCaption)
{
    QGroupBox *exec = frame("fraExecute", QStringLiteral("Execute"));
    auto *execGrid = new QGridLayout(exec);
    executeRows(execGrid, execute, commandCaption, QStringLiteral("T&ype :"), parameterCaption, QStringLiteral("&Execute"),
                QStringLiteral("Result :"));
    execGrid->setColumnStretch(1, 1);
    return exec;
}

void PanelBase::executeRows(QGridLayout *grid, const OpRow &execute, const QString &commandCaption,
                            const QString &typeCaption, const QString &parameterCaption, const QString &buttonCaption,
                            const QString &resultCaption)
{
    addRow(grid, 0, label(commandCaption), {textBox(execute.args[0].box)});
    addRow(grid, 1, label(typeCaption), {typeList(execute.args[1].combo)});
    addRow(grid, 2, label(parameterCaption), {textBox(execute.args[1].box), opButton(execute, buttonCaption)});
    addRow(grid, 3, label(resultCaption), {resultBox(execute.box)});
}

QGridLayout *PanelBase::gridPage(QTabWidget *tabs, const QString &name, const QString &caption)
{
    auto *w = new QWidget(tabs);
    w->setObjectName(name);
    tabs->addTab(w, caption);
    auto *g = new QGridLayout(w);
    g->setColumnStretch(1, 1);
    return g;
}

QGroupBox *PanelBase::propertyFrame(const char *name, const QString &caption, std::initializer_list<PropRow> rows,
                                    Qt::FocusPolicy displayFocus)
{
    QGroupBox *box = frame(name, caption);
    propertyRows(new QGridLayout(box), rows, displayFocus);
    return box;
}

void PanelBase::propertyRows(QGridLayout *grid, std::initializer_list<PropRow> rows, Qt::FocusPolicy displayFocus)
{
    int r = 0;
    for (const PropRow &row : rows) {
        const QString caption = QLatin1String(row.caption);
        if (row.typeList) {
            QLabel *typeLabel = label(caption);
            QComboBox *types = typeList(row.typeList);
            typeLabel->setBuddy(types);
            grid->addWidget(typeLabel, r, 0);
            grid->addWidget(types, r, 2);
        } else if (row.put) {
            QLabel *l = label(caption);
            QLineEdit *shown = textBox(row.get->box, true);
            QLineEdit *input = textBox(row.put->args[0].box);
            l->setBuddy(input);
            grid->addWidget(l, r, 0);
            grid->addWidget(shown, r, 1);
            grid->addWidget(input, r, 2);
            grid->addWidget(opButton(*row.get, QStringLiteral("Get")), r, 3);
            grid->addWidget(opButton(*row.put, QStringLiteral("Put")), r, 4);
            shown->setFocusPolicy(displayFocus);
        } else {
            grid->addWidget(label(caption), r, 0);
            QLineEdit *shown = resultBox(row.get->box, kHelpCharacters);
            grid->addWidget(shown, r, 1, 1, 2);
            grid->addWidget(opButton(*row.get, QStringLiteral("Get")), r, 3);
            shown->setFocusPolicy(displayFocus);
        }
        ++r;
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
}

QPushButton *PanelBase::opButton(const OpRow &row, const QString &caption)
{
    QPushButton *b = button(row.button, caption);
    addOperations(&row, 1);
    return b;
}

PanelBase::Columns PanelBase::columnLayout(int leftStretch)
{
    auto *outer = new QVBoxLayout(this);
    auto *row = new QHBoxLayout;
    outer->addLayout(row);
    auto *left = new QVBoxLayout;
    row->addLayout(left, leftStretch);
    return {outer, row, left};
}

QGroupBox *PanelBase::variablesFrame()
{
    const MemberGroup &g = kVariablesGroup;
    QGroupBox *vars = frame("fraVar", QStringLiteral("Variable"));
    auto *varsLayout = new QVBoxLayout(vars);
    QGroupBox *add = frame("fraAddVariable", QStringLiteral("AddVariable"));
    auto *addGrid = new QGridLayout(add);
    addRow(addGrid, 0, label(QStringLiteral("&Name :")), {textBox(g.nameBox)});
    addRow(addGrid, 1, label(QStringLiteral("Option :")), {textBox(g.optionBox), button(g.addButton, QStringLiteral("&Add..."))});
    addGrid->setColumnStretch(1, 1);
    varsLayout->addWidget(add);
    QGroupBox *names = frame("fraVariableNames", QStringLiteral("VariableNames"));
    auto *namesGrid = new QGridLayout(names);
    addRow(namesGrid, 0, label(QStringLiteral("Option :")), {textBox(g.namesOption), button(g.namesButton, QStringLiteral("Get"))});
    namesList(namesGrid, 1, g, QStringLiteral("Names :"));
    namesGrid->setColumnStretch(1, 1);
    varsLayout->addWidget(names, 1);
    auto *clearRow = new QHBoxLayout;
    clearRow->addWidget(button(g.clearButton, QStringLiteral("Variables.&Clear")));
    clearRow->addStretch(1);
    varsLayout->addLayout(clearRow);
    addMemberGroup(g);
    return vars;
}

const char *PanelBase::keepText(const QString &text)
{
    return m_ownTexts.emplace_back(text.toLatin1()).constData();
}

QListWidget *PanelBase::namesList(QGridLayout *grid, int row, const MemberGroup &group, const QString &caption)
{
    QLabel *namesLabel = label(caption);
    namesLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QListWidget *list = listBox(group.namesList);
    namesLabel->setBuddy(list);
    grid->addWidget(namesLabel, row, 0);
    grid->addWidget(list, row, 1, 1, 2);
    return list;
}

void PanelBase::addMemberGroup(const MemberGroup &group)
{
    const KindInfo &info = kindInfo(group.kind);
    const QString names = QLatin1String(info.namesOp);
    OpRow &row = m_ownRows.emplace_back(OpRow{
        .button = group.namesButton,
        .request = group.getPrefix ? nullptr : info.namesOp,
        .args = {{Arg::Text, group.namesOption}},
        .member = info.namesOp,
        .ret = Ret::Value,
        .box = group.namesList,
        .fill = Fill::List,
        .line = Line::Value,
        .capability = keepText(QStringLiteral("Get_") + names),
    });
    addOperations(&row, 1);
    m_groups << group;
    bindListToBox(group.namesList, group.nameBox);
    const PanelKind kind = group.kind;
    const char *nameBox = group.nameBox;
    const char *optionBox = group.optionBox;
    auto *add = control<QPushButton>(group.addButton);
    connect(add, &QPushButton::clicked, this, [this, kind, nameBox, optionBox] {
        addMember(kind, control<QLineEdit>(nameBox)->text(), control<QLineEdit>(optionBox)->text());
    });
    connect(control<QPushButton>(group.clearButton), &QPushButton::clicked, this, [this, kind] { clearMembers(kind); });
    if (group.enterRuns) {
        for (const char *box : {nameBox, optionBox})
            connect(control<QLineEdit>(box), &QLineEdit::returnPressed, add, &QPushButton::click);
        const char *namesButton = group.namesButton;
        connect(control<QLineEdit>(group.namesOption), &QLineEdit::returnPressed, this, [this, namesButton] {
            if (auto *b = control<QPushButton>(namesButton); b && b->isEnabled())
                b->click();
        });
    }
}

QHBoxLayout *PanelBase::closeRow(QWidget *left, const char *deleteButton, const char *hideButton, bool bind)
{
    auto *row = new QHBoxLayout;
    if (left)
        row->addWidget(left);
    row->addStretch(1);
    if (deleteButton) {
        QPushButton *b = button(deleteButton, QStringLiteral("&Delete"));
        row->addWidget(b);
        if (bind)
            connect(b, &QPushButton::clicked, this, [this] { app().host->DeleteForm(m_TreeNode, false); });
    }
    QPushButton *hide = button(hideButton, QStringLiteral("[ &Hide ]"));
    row->addWidget(hide);
    if (bind)
        connect(hide, &QPushButton::clicked, this, [this] { app().host->HideForm(m_TreeNode); });
    return row;
}

// ---- widgets -------------------------------------------------------------------------------------

QLineEdit *PanelBase::textBox(const char *name, bool display)
{
    auto *e = display ? new RoomyLineEdit(kPoseSample, 0, this) : new QLineEdit(this);
    e->setObjectName(QLatin1String(name));
    if (display)
        textops::setLocked(e, true);
    return e;
}

QLineEdit *PanelBase::resultBox(const char *name, int characters)
{
    auto *e = new RoomyLineEdit(kPoseSample, characters, this);
    e->setObjectName(QLatin1String(name));
    textops::setLocked(e, true);
    return e;
}

QPushButton *PanelBase::button(const char *name, const QString &caption)
{
    auto *b = new QPushButton(caption, this);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

QComboBox *PanelBase::typeList(const char *name)
{
    auto *c = new QComboBox(this);
    c->setObjectName(QLatin1String(name));
    valuetext::fillValueTypeList(c);
    return c;
}

QListWidget *PanelBase::listBox(const char *name)
{
    auto *l = new QListWidget(this);
    l->setObjectName(QLatin1String(name));
    return l;
}

QGroupBox *PanelBase::frame(const char *name, const QString &caption)
{
    auto *g = new QGroupBox(caption, this);
    if (name)
        g->setObjectName(QLatin1String(name));
    return g;
}

QLabel *PanelBase::label(const QString &caption)
{
    return new QLabel(caption, this);
}

void PanelBase::addRow(QGridLayout *grid, int row, QLabel *label, std::initializer_list<QWidget *> widgets)
{
    int col = 0;
    if (label)
        grid->addWidget(label, row, col);
    for (QWidget *w : widgets) {
        ++col;
        if (w) {
            grid->addWidget(w, row, col);
            if (label && !label->buddy() && (textops::isTextBox(w) || qobject_cast<QComboBox *>(w)))
                label->setBuddy(w);
        }
    }
}

// ---- making panels --------------------------------------------------------------------------------

PanelBase *createPanel(PanelKind kind)
{
    if (!hasApp() || !app().panelFactory)
        throw ZelError(zel::E_UNEXPECTED, QStringLiteral("No panel factory has been set"));
    return app().panelFactory(kind);
}

// ---- panels a workspace already holds ------------------------------------------------------------

void displayPreloadController(PanelBase *ws)
{
    AppState &a = app();
    if (!a.engine || !ws || !ws->m_ZelObj)
        return;
    auto get = [](const zel::ObjectPtr &obj, const QString &member) {
        return obj->invoke(member, CallKind::PropertyGet, {});
    };
    zel::ObjectPtr controllers = get(ws->m_ZelObj, QStringLiteral("Controllers")).objectValue();
    ksf::DocumentPtr doc = ws->workspaceDocument();
    QStringList names = doc ? doc->controllerNames() : QStringList();
    qint32 count = get(controllers, QStringLiteral("Count")).toInt32();
    for (qint32 i = 0; i < count; ++i) {
        zel::ObjectPtr ctrl = controllers->invoke(QStringLiteral("Item"), CallKind::PropertyGet, {Value::fromI4(i)}).objectValue();
        PanelBase *cp = createPanel(PanelKind::Controller);
        cp->m_ZelObj = ctrl;
        cp->m_ZelObjs = controllers;
        cp->m_KSFObj = i < names.size() ? doc->findController(names[i]) : nullptr;
        cp->m_ParentNode = ws->m_TreeNode;
        cp->m_FormID = a.nextFormId();
        cp->load();
        cp->showPanel();
        cp->m_TreeNode->setExpanded(true);
        for (int place = 0; place < kinds::preloadCount(); ++place) {
            const KindInfo &row = *kinds::preloadRow(place);
            zel::ObjectPtr coll = get(ctrl, QLatin1String(row.scriptColl)).objectValue();
            qint32 n = get(coll, QStringLiteral("Count")).toInt32();
            for (qint32 k = 0; k < n; ++k) {
                zel::ObjectPtr member = coll->invoke(QStringLiteral("Item"), CallKind::PropertyGet, {Value::fromI4(k)}).objectValue();
                PanelBase *mp = createPanel(row.kind);
                mp->m_ZelObj = member;
                mp->m_ZelObjs = coll;
                mp->m_ParentNode = cp->m_TreeNode;
                mp->m_FormID = a.nextFormId();
                mp->load();
                mp->showPanel();
                mp->m_TreeNode->setExpanded(true);
            }
        }
    }
}
