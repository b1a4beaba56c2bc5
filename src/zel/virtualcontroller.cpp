#include "virtualcontroller.h"

#include "context.h"
#include "dispatch.h"
#include "engine.h"

namespace zel::detail {

// ---- files --------------------------------------------------------------------------------

std::shared_ptr<FileNode> makeFile(const QString &name, bool folder)
{
    auto n = std::make_shared<FileNode>();
    n->name = name;
    n->folder = folder;
    n->created = n->accessed = n->modified = currentDate();
    return n;
}

QString FileNode::path() const
{
    if (!parent)
        return deleted ? name : QStringLiteral("/");
    QString p = parent->path();
    if (!p.endsWith(QLatin1Char('/')))
        p += QLatin1Char('/');
    return p + name;
}

QString FileNode::type() const
{
    if (folder)
        return QStringLiteral("Folder");
    const QString suffix = name.section(QLatin1Char('.'), -1).toLower();
    if (!name.contains(QLatin1Char('.')))
        return QStringLiteral("Binary");
    if (suffix == QLatin1String("pgm"))
        return QStringLiteral("Program");
    if (suffix == QLatin1String("txt") || suffix == QLatin1String("ini") || suffix == QLatin1String("csv")
        || suffix == QLatin1String("log"))
        return QStringLiteral("Text");
    return QStringLiteral("Binary");
}

qint64 FileNode::size() const
{
    if (!folder)
        return data.size();
    qint64 total = 0;
    for (const auto &c : children)
        total += c->size();
    return total;
}

namespace {

// The first item whose text field equals text, letter case aside; nullptr when none does.
template <class T>
std::shared_ptr<T> findByText(const QList<std::shared_ptr<T>> &items, QString T::*field, const QString &text)
{
    for (const auto &item : items) {
        if (((*item).*field).compare(text, Qt::CaseInsensitive) == 0)
            return item;
    }
    return nullptr;
}

} // namespace

std::shared_ptr<FileNode> FileNode::child(const QString &childName) const
{
    return findByText(children, &FileNode::name, childName);
}

bool FileNode::contains(const FileNode *node) const
{
    for (const FileNode *n = node; n; n = n->parent) {
        if (n == this)
            return true;
    }
    return false;
}

std::shared_ptr<FileNode> FileNode::clone() const
{
    auto n = makeFile(name, folder);
    n->text = text;
    n->data = data;
    n->modified = modified;
    for (const auto &c : children) {
        auto cc = c->clone();
        cc->parent = n.get();
        n->children.append(cc);
    }
    return n;
}

QStringList FileNode::lines() const
{
    QStringList out;
    const QStringList all = QString::fromUtf8(data).split(QLatin1Char('\n'));
    for (QString l : all) {
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
        if (!l.trimmed().isEmpty())
            out << l;
    }
    return out;
}

// ---- tasks --------------------------------------------------------------------------------

TaskModel::TaskModel(ControllerModel *model, QString taskName, QString file, qint32 stepTime)
    : name(std::move(taskName)), fileName(std::move(file)), stepTimeMs(stepTime), m_model(model)
{
    m_timer.setInterval(stepTimeMs);
    connect(&m_timer, &QTimer::timeout, this, &TaskModel::tick);
}

QString TaskModel::stateText(qint32 s)
{
    switch (s) {
    case Stopped: return QStringLiteral("Stopped");
    case Running: return QStringLiteral("Running");
    case Cycling: return QStringLiteral("Cycling");
    case Suspended: return QStringLiteral("Suspended");
    case CycleStopping: return QStringLiteral("Cycle stopping");
    }
    return QString();
}

void TaskModel::loadProgram(const QString &where)
{
    std::shared_ptr<FileNode> file = m_model->resolve(fileName, m_model->root.get());
    if (!file)
        raise(E_FILE_NOT_FOUND, QStringLiteral("%1: the program %2 of task %3 does not exist").arg(where, fileName, name));
    if (file->folder)
        raise(E_IS_FOLDER, QStringLiteral("%1: the program %2 of task %3 is a folder").arg(where, fileName, name));
    steps = std::max<qint32>(1, qint32(file->lines().size()));
    if (line > steps)
        line = 1;
}

namespace {

// Fails a task's start or stop mode outside first..last; modes lists them with their meaning.
void checkMode(qint32 mode, qint32 first, qint32 last, const QString &where, const char *which, const char *modes)
{
    if (mode < first || mode > last) {
        raise(E_BAD_MODE, QStringLiteral("%1: %2 mode %3 does not exist; the modes are %4")
                              .arg(where, QLatin1String(which))
                              .arg(mode)
                              .arg(QLatin1String(modes)));
    }
}

} // namespace

void TaskModel::start(qint32 mode, const QString &where)
{
    checkMode(mode, 1, 4, where, "start", "1 (1 cycle start), 2 (cyclic start), 3 (step forward) and 4 (step back)");
    if (isRunning())
        raise(E_TASK_STATE, QStringLiteral("%1: task %2 is %3; stop it first").arg(where, name, stateText(state).toLower()));
    if (mode == 4) {
        if (line <= 1)
            raise(E_TASK_STATE, QStringLiteral("%1: task %2 is at its first step and cannot step back").arg(where, name));
        loadProgram(where);
        --line;
        state = Suspended;
        return;
    }
    loadProgram(where);
    if (mode == 3) {
        if (++line > steps)
            endOfCycle();
        else
            state = Suspended;
        return;
    }
    state = mode == 1 ? Running : Cycling;
    m_timer.setInterval(stepTimeMs);
    m_timer.start();
}

void TaskModel::stop(qint32 mode, const QString &where)
{
    checkMode(mode, 0, 4, where, "stop",
              "0 (default stop), 1 (instant stop), 2 (step stop), 3 (cycle stop) and 4 (stop and initialize)");
    if (mode == 4) {
        m_timer.stop();
        state = Stopped;
        line = 1;
        return;
    }
    if (!isRunning())
        raise(E_TASK_STATE, QStringLiteral("%1: task %2 is not running (%3)").arg(where, name, stateText(state).toLower()));
    if (mode == 0)
        mode = state == Running ? 2 : 3;
    switch (mode) {
    case 1: // instant: the current step is abandoned
        m_timer.stop();
        state = Suspended;
        break;
    case 2: // step: the current step completes
        m_timer.stop();
        if (++line > steps) {
            line = 1;
            ++cycles;
            state = Stopped;
        } else {
            state = Suspended;
        }
        break;
    case 3: // cycle: runs on to the end of the cycle
        state = CycleStopping;
        break;
    }
}

void TaskModel::tick()
{
    if (++line > steps)
        endOfCycle();
}

void TaskModel::endOfCycle()
{
    line = 1;
    ++cycles;
    if (state == Cycling)
        return;
    m_timer.stop();
    state = Stopped;
}

// ---- the controller -----------------------------------------------------------------------

namespace {
std::shared_ptr<FileNode> addSeed(FileNode &folder, const QString &name, bool isFolder, const QByteArray &data = {},
                                  bool text = true)
{
    auto n = makeFile(name, isFolder);
    n->data = data;
    n->text = text;
    n->parent = &folder;
    folder.children.append(n);
    return n;
}
} // namespace

ControllerModel::ControllerModel(QString name) : controllerName(std::move(name)), root(makeFile(QString(), true))
{
    addSeed(*root, QStringLiteral("readme.txt"), false,
            "Zel.Virtual controller\nThis file tree lives in memory and vanishes with the controller.\n");
    addSeed(*root, QStringLiteral("version.txt"), false, "1.0.0\n")->readOnly = true;
    addSeed(*root, QStringLiteral("Main.pgm"), false,
            "PROGRAM Main\nMOVE P, P(600, 0, 400, 0, 0, 0)\nCALL Sub\nMOVE L, P(500, 100, 300, 0, 0, 0)\n"
            "CHUCK\nMOVE P, P(600, 0, 400, 0, 0, 0)\nUNCHUCK\nEND\n");
    QByteArray logo;
    for (int i = 0; i < 20; ++i)
        logo.append(char(i));
    addSeed(*root, QStringLiteral("logo.bin"), false, logo, false);
    QByteArray big;
    for (int i = 0; i < 2000; ++i)
        big.append(char(i % 256));
    addSeed(*root, QStringLiteral("big.dat"), false, big, false);
    auto programs = addSeed(*root, QStringLiteral("Programs"), true);
    addSeed(*programs, QStringLiteral("Sub.pgm"), false, "PROGRAM Sub\nDRIVE 1, 10\nDRIVE 1, -10\nWAIT 100\nEND\n");
    addSeed(*programs, QStringLiteral("Cycle.pgm"), false, "PROGRAM Cycle\nHALT\nEND\n");
    addSeed(*root, QStringLiteral("Data"), true);

    createTask(QStringLiteral("Main"), QStringLiteral("/Main.pgm"), 100);
    createTask(QStringLiteral("Sub"), QStringLiteral("/Programs/Sub.pgm"), 100);
}

ControllerModel::~ControllerModel()
{
    // Handles notice through their weak pointers; mark the tree so that nodes kept alive by
    // a copy in flight do not report a path.
    tasks.clear();
}

std::shared_ptr<FileNode> ControllerModel::resolve(const QString &path, const FileNode *from) const
{
    std::shared_ptr<FileNode> node;
    if (path.startsWith(QLatin1Char('/')) || !from)
        node = root;
    else
        node = shared(from);
    if (!node)
        return nullptr;
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (node->parent)
                node = shared(node->parent);
            continue;
        }
        if (!node->folder)
            return nullptr;
        node = node->child(part);
        if (!node)
            return nullptr;
    }
    return node;
}

std::shared_ptr<FileNode> ControllerModel::shared(const FileNode *node) const
{
    if (!node)
        return nullptr;
    if (node == root.get())
        return root;
    if (!node->parent)
        return nullptr;
    for (const auto &c : node->parent->children) {
        if (c.get() == node)
            return c;
    }
    return nullptr;
}

std::shared_ptr<TaskModel> ControllerModel::task(const QString &name) const
{
    return findByText(tasks, &TaskModel::name, name);
}

std::shared_ptr<TaskModel> ControllerModel::taskForFile(const QString &path) const
{
    return findByText(tasks, &TaskModel::fileName, path);
}

std::shared_ptr<TaskModel> ControllerModel::createTask(const QString &name, const QString &fileName, qint32 stepTimeMs)
{
    auto t = std::make_shared<TaskModel>(this, name, fileName, stepTimeMs);
    tasks.append(t);
    return t;
}

void ControllerModel::removeTask(const std::shared_ptr<TaskModel> &task)
{
    tasks.removeAll(task);
}

QStringList ControllerModel::taskNames() const
{
    QStringList out;
    for (const auto &t : tasks)
        out << t->name;
    return out;
}

// ---- the provider -------------------------------------------------------------------------

VirtualDevice::VirtualDevice(const QString &controllerName) : m_model(std::make_shared<ControllerModel>(controllerName)) {}

bool VirtualDevice::offers(MemberKind) const
{
    return true;
}

QString VirtualDevice::help(const QString &provider, const QString &machine) const
{
    return QStringLiteral("a %1 controller on machine '%2' with a robot arm, a file tree, tasks, an I/O extension, commands and messages")
        .arg(provider, machine);
}

QStringList VirtualDevice::offeredNames(MemberKind kind) const
{
    switch (kind) {
    case MemberKind::Robot: return {QStringLiteral("Robot1")};
    case MemberKind::Extension: return {QStringLiteral("IO")};
    case MemberKind::Command:
        return {QStringLiteral("Echo"), QStringLiteral("Sum"), QStringLiteral("Upper"), QStringLiteral("Delay"),
                QStringLiteral("Fail"), QStringLiteral("Now")};
    default: return {};
    }
}

QString VirtualProvider::name() const
{
    return QLatin1StringView(ZelEngine::kProviderName);
}

std::unique_ptr<ControllerDevice> VirtualProvider::open(const QString &controller, const QString &, const QString &)
{
    return std::make_unique<VirtualDevice>(controller);
}

} // namespace zel::detail
