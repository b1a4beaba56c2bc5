#include "context.h"
#include "dispatch.h"
#include "members.h"
#include "options.h"
#include "virtualcontroller.h"

namespace zel {

using namespace detail;

namespace {
enum FileVariable { PathVar = 100, SizeVar, TypeVar, LineCountVar };

void markDeleted(FileNode &node)
{
    node.deleted = true;
    for (const auto &c : node.children)
        markDeleted(*c);
}

void detach(const std::shared_ptr<FileNode> &node)
{
    if (FileNode *p = node->parent)
        p->children.removeAll(node);
    node->parent = nullptr;
    markDeleted(*node);
}

void checkName(const QString &name, const char *op)
{
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        raise(E_INVALID_ARG, QStringLiteral("%1: '%2' holds a path separator; add the folder, then the file to its Files").arg(QLatin1StringView(op), name));
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        raise(E_INVALID_ARG, QStringLiteral("%1: '%2' is not a file name").arg(QLatin1StringView(op), name));
}

struct Destination {
    std::shared_ptr<FileNode> folder;
    QString name;
    std::shared_ptr<FileNode> existing;
};

// Where Copy and Move put a file: into an existing folder under its own name, or at a path whose
// folder exists. Relative paths start from the folder that holds the file.
Destination resolveDestination(const ControllerModel &model, const std::shared_ptr<FileNode> &node, const QString &destination,
                               bool overwrite, const char *op)
{
    const QLatin1StringView o(op);
    const QString dest = destination.trimmed();
    if (dest.isEmpty())
        raise(E_INVALID_ARG, QStringLiteral("%1: no destination given for %2").arg(o, node->path()));
    Destination d;
    const FileNode *from = node->parent;
    if (auto target = model.resolve(dest, from); target && target->folder) {
        d.folder = target;
        d.name = node->name;
    } else {
        QString trimmed = dest;
        while (trimmed.size() > 1 && trimmed.endsWith(QLatin1Char('/')))
            trimmed.chop(1);
        const qsizetype slash = trimmed.lastIndexOf(QLatin1Char('/'));
        d.name = trimmed.mid(slash + 1);
        const QString dir = slash < 0 ? QStringLiteral(".") : slash == 0 ? QStringLiteral("/") : trimmed.left(slash);
        d.folder = model.resolve(dir, from);
        if (!d.folder)
            raise(E_FILE_NOT_FOUND, QStringLiteral("%1: the folder '%2' of the destination does not exist").arg(o, dir));
        if (!d.folder->folder)
            raise(E_NOT_A_FOLDER, QStringLiteral("%1: %2 is a file, not a folder").arg(o, d.folder->path()));
        checkName(d.name, op);
    }
    d.existing = d.folder->child(d.name);
    if (d.existing == node)
        raise(E_FILE_EXISTS, QStringLiteral("%1: %2 is already there").arg(o, node->path()));
    if (node->folder && node->contains(d.folder.get()))
        raise(E_INVALID_ARG, QStringLiteral("%1: folder %2 cannot go into itself (%3)").arg(o, node->path(), d.folder->path()));
    if (d.existing) {
        if (!overwrite)
            raise(E_FILE_EXISTS, QStringLiteral("%1: %2 already exists; pass Overwrite=true to replace it").arg(o, d.existing->path()));
        if (d.existing->folder)
            raise(E_FILE_EXISTS, QStringLiteral("%1: %2 is a folder and cannot be replaced").arg(o, d.existing->path()));
        if (d.existing->readOnly)
            raise(E_READ_ONLY, QStringLiteral("%1: %2 is read-only and cannot be replaced").arg(o, d.existing->path()));
    }
    return d;
}
} // namespace

ZelFile::ZelFile(std::shared_ptr<EngineContext> ctx, quint64 scope, std::weak_ptr<ControllerModel> model,
                 std::shared_ptr<FileNode> node)
    : VariableHolder(ctx, ObjectKind::File, scope, node->name), m_model(std::move(model)), m_node(node),
      m_lastPath(node->path()),
      m_files(std::make_shared<ZelFiles>(ctx, scope))
{
}

ZelFile::~ZelFile() = default;

QString ZelFile::displayName() const
{
    if (auto n = m_node.lock(); n && !n->deleted)
        return n->name;
    return MemberObject::displayName();
}

bool ZelFile::exists() const
{
    auto n = m_node.lock();
    return n && !n->deleted && !m_model.expired();
}

bool ZelFile::isFolder() const
{
    auto n = m_node.lock();
    return n && n->folder;
}

void ZelFile::rebind(std::shared_ptr<FileNode> node)
{
    m_node = node;
    m_lastPath = node->path();
    setDisplayName(node->name);
}

std::shared_ptr<ControllerModel> ZelFile::model(const char *op) const
{
    auto m = m_model.lock();
    if (!m)
        raise(E_DETACHED, QStringLiteral("%1: file %2 belongs to a controller that no longer exists").arg(QLatin1StringView(op), m_lastPath));
    return m;
}

std::shared_ptr<FileNode> ZelFile::node(const char *op) const
{
    model(op);
    auto n = m_node.lock();
    if (!n || n->deleted)
        raise(E_FILE_NOT_FOUND, QStringLiteral("%1: file %2 has been deleted").arg(QLatin1StringView(op), m_lastPath));
    m_lastPath = n->path();
    return n;
}

std::shared_ptr<ZelFile> ZelFile::addFile(const QString &name, const QString &option)
{
    guard("AddFile");
    auto n = node("AddFile");
    return detail::addFile(*this, model("AddFile"), n, *m_files, name, option);
}

QStringList ZelFile::fileNames(const QString &option) const
{
    guard("get_FileNames");
    return detail::fileNames(*node("get_FileNames"), *m_files, option);
}

Value ZelFile::value()
{
    guard("get_Value");
    auto n = node("get_Value");
    if (n->folder)
        raise(E_IS_FOLDER, QStringLiteral("get_Value: %1 is a folder and has no content").arg(n->path()));
    n->accessed = currentDate();
    if (n->text)
        return Value::fromString(QString::fromUtf8(n->data));
    Array a;
    a.elementType = VT_UI1;
    a.items.reserve(n->data.size());
    for (char c : std::as_const(n->data))
        a.items.append(Value::fromUI1(quint8(c)));
    return Value::fromArray(std::move(a));
}

void ZelFile::setValue(const Value &value)
{
    guard("put_Value");
    auto n = node("put_Value");
    if (n->folder)
        raise(E_IS_FOLDER, QStringLiteral("put_Value: %1 is a folder and has no content").arg(n->path()));
    if (n->readOnly)
        raise(E_READ_ONLY, QStringLiteral("put_Value: file %1 is read-only").arg(n->path()));
    if (value.isString()) {
        n->data = value.stringValue().toUtf8();
        n->text = true;
    } else if (value.type() == (VT_ARRAY | VT_UI1)) {
        const Array &a = value.arrayValue();
        QByteArray bytes;
        bytes.reserve(a.items.size());
        for (const Value &b : a.items)
            bytes.append(char(quint8(b.integerValue())));
        n->data = bytes;
        n->text = false;
    } else {
        raise(E_TYPE_MISMATCH, QStringLiteral("put_Value: the content of %1 is a text (BSTR) or bytes (ARRAY | UI1); got %2")
                                   .arg(n->path(), typeName(value.type())));
    }
    n->modified = n->accessed = currentDate();
}

QString ZelFile::path() const
{
    guard("get_Path");
    return node("get_Path")->path();
}

QString ZelFile::type() const
{
    guard("get_Type");
    return node("get_Type")->type();
}

qint32 ZelFile::size() const
{
    guard("get_Size");
    return static_cast<qint32>(std::min<qint64>(node("get_Size")->size(), INT32_MAX));
}

Date ZelFile::dateCreated() const
{
    guard("get_DateCreated");
    return node("get_DateCreated")->created;
}

Date ZelFile::dateLastAccessed() const
{
    guard("get_DateLastAccessed");
    return node("get_DateLastAccessed")->accessed;
}

Date ZelFile::dateLastModified() const
{
    guard("get_DateLastModified");
    return node("get_DateLastModified")->modified;
}

void ZelFile::copy(const QString &destination, const QString &option)
{
    guard("Copy");
    auto n = node("Copy");
    auto m = model("Copy");
    Options o(option, QStringLiteral("Copy"));
    Destination d = resolveDestination(*m, n, destination, o.boolean("Overwrite", false), "Copy");
    auto copy = n->clone();
    copy->name = d.name;
    copy->parent = d.folder.get();
    if (d.existing)
        detach(d.existing);
    d.folder->children.append(copy);
}

void ZelFile::move(const QString &destination, const QString &option)
{
    guard("Move");
    auto n = node("Move");
    auto m = model("Move");
    Options o(option, QStringLiteral("Move"));
    if (n->readOnly)
        raise(E_READ_ONLY, QStringLiteral("Move: file %1 is read-only").arg(n->path()));
    Destination d = resolveDestination(*m, n, destination, o.boolean("Overwrite", false), "Move");
    if (d.existing)
        detach(d.existing);
    n->parent->children.removeAll(n);
    n->name = d.name;
    n->parent = d.folder.get();
    d.folder->children.append(n);
    m_lastPath = n->path();
    setDisplayName(n->name);
}

void ZelFile::deleteFile(const QString &option)
{
    guard("Delete");
    auto n = node("Delete");
    Options o(option, QStringLiteral("Delete"));
    const bool recursive = o.boolean("Recursive", false);
    const bool force = o.boolean("Force", false);
    if (n->folder && !n->children.isEmpty() && !recursive)
        raise(E_FOLDER_NOT_EMPTY, QStringLiteral("Delete: folder %1 holds %2 item(s); pass Recursive=true to delete it with them")
                                      .arg(n->path())
                                      .arg(n->children.size()));
    if (n->readOnly && !force)
        raise(E_READ_ONLY, QStringLiteral("Delete: file %1 is read-only; pass Force=true to delete it").arg(n->path()));
    m_lastPath = n->path();
    detach(n);
}

QString ZelFile::run(const QString &option)
{
    guard("Run");
    auto n = node("Run");
    auto m = model("Run");
    Options o(option, QStringLiteral("Run"));
    const qint32 mode = o.integer("Mode", 1, 1, 2);
    if (n->folder)
        raise(E_IS_FOLDER, QStringLiteral("Run: %1 is a folder; only programs (.pgm) run").arg(n->path()));
    if (n->type() != QLatin1String("Program"))
        raise(E_NOT_A_PROGRAM, QStringLiteral("Run: %1 is not a program; only .pgm files run").arg(n->path()));
    const QString path = n->path();
    std::shared_ptr<TaskModel> task = m->taskForFile(path);
    if (!task) {
        const QString base = n->name.section(QLatin1Char('.'), 0, -2);
        QString name = base;
        for (int i = 2; m->task(name); ++i)
            name = base + QString::number(i);
        task = m->createTask(name, path, 100);
    }
    task->start(mode, QStringLiteral("Run"));
    return task->name;
}

Value ZelFile::execute(const QString &command, const Value &parameter)
{
    guard("Execute");
    static const CommandTable<ZelFile> commands{
        {"Append", [](ZelFile &f, const Value &p) {
             auto n = f.node("Append");
             if (n->folder || !n->text)
                 raise(E_TYPE_MISMATCH, QStringLiteral("Append: %1 holds no text").arg(n->path()));
             if (n->readOnly)
                 raise(E_READ_ONLY, QStringLiteral("Append: file %1 is read-only").arg(n->path()));
             n->data += p.toPlainText().toUtf8();
             n->modified = n->accessed = currentDate();
             return Value::fromI4(qint32(n->data.size()));
         }},
        {"LineCount", [](ZelFile &f, const Value &) {
             auto n = f.node("LineCount");
             if (n->folder)
                 raise(E_IS_FOLDER, QStringLiteral("LineCount: %1 is a folder").arg(n->path()));
             return Value::fromI4(qint32(n->lines().size()));
         }},
        {"Exists", [](ZelFile &f, const Value &) { return Value::fromBool(f.exists()); }},
    };
    return commands.run(*this, command, parameter);
}

QString ZelFile::describe() const
{
    auto n = m_node.lock();
    if (!exists() || !n)
        return QStringLiteral("File %1 (deleted)").arg(m_lastPath);
    if (n->folder)
        return QStringLiteral("Folder %1: %2 item(s), %3 bytes").arg(n->path()).arg(n->children.size()).arg(n->size());
    return QStringLiteral("File %1: %2, %3 bytes%4").arg(n->path(), n->type()).arg(n->size()).arg(n->readOnly ? QStringLiteral(", read-only") : QString());
}

std::vector<VariableHost::SystemVariable> ZelFile::hostVariables() const
{
    return {
        {"@Path", PathVar, false, "the file's path"},
        {"@Size", SizeVar, false, "the file's size in bytes (I4)"},
        {"@Type", TypeVar, false, "Folder, Program, Text or Binary"},
        {"@LineCount", LineCountVar, false, "the number of non-empty lines of the content (I4)"},
    };
}

Value ZelFile::readHostVariable(int id)
{
    auto n = node("get_Value");
    switch (id) {
    case PathVar: return Value::fromString(n->path());
    case SizeVar: return Value::fromI4(qint32(std::min<qint64>(n->size(), INT32_MAX)));
    case TypeVar: return Value::fromString(n->type());
    case LineCountVar: return Value::fromI4(n->folder ? 0 : qint32(n->lines().size()));
    }
    return Value();
}

qint32 ZelFile::attributeValue() const
{
    auto n = m_node.lock();
    if (!n || n->deleted)
        return 0;
    return n->folder ? 0x10 : 0x20 | (n->readOnly ? 0x01 : 0);
}

QString ZelFile::helpText() const
{
    return QStringLiteral("File %1 of the controller's in-memory file tree: content as text or bytes; Copy, Move, Delete; "
                          "Run starts a program (.pgm)")
        .arg(m_lastPath);
}

Value ZelFile::invoke(const QString &member, CallKind kind, const QList<Value> &args)
{
    using F = ZelFile;
    static const DispatchTable<F> table{
        holderMembers<F>(),
        {
            prop<F>("Files", [](F &f, const Args &) { return Value::fromObject(f.files()); }),
            method<F>("AddFile", [](F &f, const Args &a) {
                return Value::fromObject(f.addFile(argText(a, 0, "name", "AddFile"), argText(a, 1, "option", "AddFile"))); }, 0, 2),
            prop<F>("FileNames", [](F &f, const Args &a) { return textArray(f.fileNames(argText(a, 0, "option", "FileNames"))); }, nullptr, 0, 1),
            prop<F>("Value", [](F &f, const Args &) { return f.value(); }, [](F &f, const Args &, const Value &v) { f.setValue(v); }),
            prop<F>("Path", [](F &f, const Args &) { return Value::fromString(f.path()); }),
            prop<F>("Type", [](F &f, const Args &) { return Value::fromString(f.type()); }),
            prop<F>("Size", [](F &f, const Args &) { return Value::fromI4(f.size()); }),
            prop<F>("DateCreated", [](F &f, const Args &) { return Value::fromDate(f.dateCreated()); }),
            prop<F>("DateLastAccessed", [](F &f, const Args &) { return Value::fromDate(f.dateLastAccessed()); }),
            prop<F>("DateLastModified", [](F &f, const Args &) { return Value::fromDate(f.dateLastModified()); }),
            method<F>("Copy", [](F &f, const Args &a) { f.copy(argText(a, 0, "destination", "Copy"), argText(a, 1, "option", "Copy")); return Value(); }, 1, 2),
            method<F>("Move", [](F &f, const Args &a) { f.move(argText(a, 0, "destination", "Move"), argText(a, 1, "option", "Move")); return Value(); }, 1, 2),
            method<F>("Delete", [](F &f, const Args &a) { f.deleteFile(argText(a, 0, "option", "Delete")); return Value(); }, 0, 1),
            method<F>("Run", [](F &f, const Args &a) { return Value::fromString(f.run(argText(a, 0, "option", "Run"))); }, 0, 1),
        },
    };
    return table.invoke(*this, member, kind, args);
}

ZelFiles::ZelFiles(std::shared_ptr<EngineContext> ctx, quint64 scope)
    : Collection<ZelFile>(std::move(ctx), ObjectKind::Files, scope)
{
}

namespace detail {

std::shared_ptr<ZelFile> addFile(EngineObject &owner, const std::shared_ptr<ControllerModel> &model,
                                 const std::shared_ptr<FileNode> &folder, ZelFiles &files, const QString &requested,
                                 const QString &option)
{
    Options o(option, QStringLiteral("AddFile"));
    const bool create = o.boolean("Create", true);
    const bool makeFolder = o.boolean("Folder", false);
    if (!folder->folder)
        raise(E_NOT_A_FOLDER, QStringLiteral("AddFile: %1 is a file, not a folder; only folders hold files").arg(folder->path()));
    QString name = requested;
    if (name.isEmpty()) {
        for (int i = 1; name.isEmpty() || folder->child(name) || files.find(name); ++i)
            name = QStringLiteral("File%1").arg(i);
    }
    checkName(name, "AddFile");

    auto existing = files.find(name);
    if (existing && existing->exists())
        return existing;
    std::shared_ptr<FileNode> node = folder->child(name);
    if (!node) {
        if (!create)
            raise(E_FILE_NOT_FOUND, QStringLiteral("AddFile: %1 holds no file '%2' (Create=false)").arg(folder->path(), name));
        node = makeFile(name, makeFolder);
        if (!makeFolder)
            node->text = node->type() != QLatin1String("Binary");
        node->parent = folder.get();
        folder->children.append(node);
    }
    if (existing) {
        existing->rebind(node);
        return existing;
    }
    auto handle = std::make_shared<ZelFile>(owner.context(), owner.scope(), model, node);
    files.append(handle);
    return handle;
}

QStringList fileNames(const FileNode &folder, const ZelFiles &files, const QString &option)
{
    Q_UNUSED(files);
    QStringList names;
    if (folder.folder) {
        for (const auto &c : folder.children)
            names << c->name;
    }
    return filterNames(names, option, "FileNames");
}

} // namespace detail

} // namespace zel
