// Reading KSF files: a strict reader that either builds the whole document or throws an error
// naming the file and the line.
#include "ksfinternal.h"
#include "ksfmapper.h"

#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>
#include <initializer_list>

using zel::ZelError;

namespace ksf {

namespace {

using detail::quoted;

const QStringList kEntryAttributes = {QStringLiteral("name"), QStringLiteral("option")};
const QStringList kControllerAttributes = {QStringLiteral("name"), QStringLiteral("key"), QStringLiteral("provider"),
                                           QStringLiteral("machine"), QStringLiteral("option")};
const QStringList kOperationAttributes = {QStringLiteral("name"), QStringLiteral("arg1"), QStringLiteral("arg2"),
                                          QStringLiteral("arg3"), QStringLiteral("arg4")};

class Reader {
public:
    Reader(const QByteArray &xml, const QString &source) : m_xml(xml), m_source(source), m_reader(xml) {}

    DocumentPtr read();

private:
    [[noreturn]] void fail(quint32 number, const QString &message) const;
    [[noreturn]] void failNotXml() const;

    // Calls into the document model; its errors get this file's name and line.
    template<typename F>
    auto guarded(F &&f) -> decltype(f())
    {
        try {
            return f();
        } catch (const ZelError &e) {
            fail(e.unsignedNumber(), e.description());
        }
    }

    // Advances to the next child element of the element named parent (true) or to its end
    // (false). Comments and white space are passed over; other text is an error.
    bool nextChild(const QString &parent);
    void checkAttributes(const QStringList &allowed);
    QString required(const QString &attribute);
    QString optional(const QString &attribute) const;
    QString element() const { return QLatin1Char('<') + m_reader.name().toString() + QLatin1Char('>'); }

    void readController(Document &doc);
    void readMembers(const EntryPtr &parent);
    void readCapabilities(Document &doc);
    void readSet(Document &doc, const QString &key);
    void readOperation(const CapabilitySetPtr &set);

    const QByteArray &m_xml;
    QString m_source;
    QXmlStreamReader m_reader;
    QXmlStreamAttributes m_attributes; // of the element being read, taken by checkAttributes
};

void Reader::fail(quint32 number, const QString &message) const
{
    throw ZelError(number, QStringLiteral("%1, line %2: %3").arg(m_source, QString::number(m_reader.lineNumber()), message));
}

void Reader::failNotXml() const
{
    fail(zel::E_KSF_NOT_XML, QStringLiteral("the file is not well-formed XML (%1)").arg(m_reader.errorString()));
}

bool Reader::nextChild(const QString &parent)
{
    for (;;) {
        switch (m_reader.readNext()) {
        case QXmlStreamReader::StartElement:
            return true;
        case QXmlStreamReader::EndElement:
            return false;
        case QXmlStreamReader::Characters:
            if (!m_reader.isWhitespace())
                fail(zel::E_KSF_UNEXPECTED, QStringLiteral("text is not allowed inside <%1>").arg(parent));
            break;
        case QXmlStreamReader::Comment:
        case QXmlStreamReader::ProcessingInstruction:
            break;
        case QXmlStreamReader::Invalid:
            failNotXml();
        default:
            fail(zel::E_KSF_UNEXPECTED, QStringLiteral("%1 is not allowed inside <%2>")
                                            .arg(m_reader.tokenString(), parent));
        }
    }
}

void Reader::checkAttributes(const QStringList &allowed)
{
    m_attributes = m_reader.attributes();
    for (const QXmlStreamAttribute &attribute : std::as_const(m_attributes)) {
        if (!attribute.prefix().isEmpty())
            continue; // xml:lang and the like say nothing about the document
        if (!allowed.contains(attribute.name())) {
            fail(zel::E_KSF_UNEXPECTED, QStringLiteral("the attribute \"%1\" is not allowed on %2; allowed are %3")
                                            .arg(attribute.name().toString(), element(),
                                                 allowed.join(QStringLiteral(", "))));
        }
    }
}

QString Reader::required(const QString &attribute)
{
    if (!m_attributes.hasAttribute(attribute))
        fail(zel::E_KSF_MISSING_ATTR, QStringLiteral("%1 lacks the attribute \"%2\"").arg(element(), attribute));
    return m_attributes.value(attribute).toString();
}

QString Reader::optional(const QString &attribute) const { return m_attributes.value(attribute).toString(); }

DocumentPtr Reader::read()
{
    if (m_xml.isEmpty())
        fail(zel::E_KSF_NOT_XML, QStringLiteral("the file is empty; a KSF file holds a <ksf> element"));

    // Prologue up to the root element.
    for (bool root = false; !root;) {
        switch (m_reader.readNext()) {
        case QXmlStreamReader::StartElement:
            root = true;
            break;
        case QXmlStreamReader::StartDocument:
        case QXmlStreamReader::Comment:
        case QXmlStreamReader::ProcessingInstruction:
        case QXmlStreamReader::Characters: // only white space can stand here
            break;
        case QXmlStreamReader::DTD:
            fail(zel::E_KSF_UNEXPECTED, QStringLiteral("a document type declaration is not allowed in a KSF file"));
        default:
            failNotXml();
        }
    }
    if (m_reader.name() != QLatin1String("ksf")) {
        fail(zel::E_KSF_BAD_ROOT,
             QStringLiteral("the root element is %1, but a KSF file's root element is <ksf>").arg(element()));
    }
    checkAttributes({QStringLiteral("version")});
    if (m_attributes.hasAttribute(QLatin1String("version")) && optional(QStringLiteral("version")) != QLatin1String("1")) {
        fail(zel::E_KSF_UNEXPECTED,
             QStringLiteral("KSF version \"%1\" is not supported; this reader knows version 1")
                 .arg(optional(QStringLiteral("version"))));
    }

    auto doc = Document::createEmpty();
    while (nextChild(QStringLiteral("ksf"))) {
        const auto name = m_reader.name();
        if (name == QLatin1String("controller")) {
            readController(*doc);
        } else if (name == QLatin1String("capabilities")) {
            readCapabilities(*doc);
        } else if (kindFromText(name.toString()) > Controller) {
            fail(zel::E_KSF_BAD_NESTING,
                 QStringLiteral("%1 stands directly inside <ksf>; member entries belong inside a <controller>")
                     .arg(element()));
        } else {
            fail(zel::E_KSF_UNEXPECTED,
                 QStringLiteral("%1 is not allowed inside <ksf>; allowed are <controller> and <capabilities>")
                     .arg(element()));
        }
    }

    // Only comments and white space may follow the root element.
    while (m_reader.readNext() != QXmlStreamReader::EndDocument) {
        if (m_reader.tokenType() == QXmlStreamReader::Invalid)
            failNotXml();
    }
    return doc;
}

void Reader::readController(Document &doc)
{
    checkAttributes(kControllerAttributes);
    const QString name = required(QStringLiteral("name"));
    if (doc.findController(name))
        fail(zel::E_KSF_DUPLICATE, QStringLiteral("a second controller entry is named %1").arg(quoted(name)));
    const EntryPtr entry = guarded([&] {
        EntryPtr e = doc.addController(name);
        e->setKey(optional(QStringLiteral("key")));
        e->setProviderName(optional(QStringLiteral("provider")));
        e->setMachineName(optional(QStringLiteral("machine")));
        e->setOption(optional(QStringLiteral("option")));
        return e;
    });
    readMembers(entry);
}

void Reader::readMembers(const EntryPtr &parent)
{
    const QString parentElement = kindWord(parent->kind());
    while (nextChild(parentElement)) {
        const int kind = kindFromText(m_reader.name().toString());
        if (kind < 0) {
            fail(zel::E_KSF_UNKNOWN_KIND,
                 QStringLiteral("%1 is not a kind of entry; the kinds are extension, file, robot, task, variable, "
                                "command and message")
                     .arg(element()));
        }
        if (!parent->canHold(kind)) {
            fail(zel::E_KSF_BAD_NESTING,
                 QStringLiteral("a <%1> entry cannot hold %2").arg(parentElement, element()));
        }
        checkAttributes(kEntryAttributes);
        const QString name = required(QStringLiteral("name"));
        if (parent->findMember(kind, name)) {
            fail(zel::E_KSF_DUPLICATE, QStringLiteral("<%1> %2 holds a second %3 entry named %4")
                                           .arg(parentElement, quoted(parent->name()), kindWord(kind), quoted(name)));
        }
        const EntryPtr entry = guarded([&] {
            EntryPtr e = parent->addMember(kind, name);
            e->setOption(optional(QStringLiteral("option")));
            return e;
        });
        readMembers(entry);
    }
}

void Reader::readCapabilities(Document &doc)
{
    checkAttributes({QStringLiteral("key")});
    const QString key = required(QStringLiteral("key"));
    if (doc.capabilitySet(key))
        fail(zel::E_KSF_DUPLICATE, QStringLiteral("a second <capabilities> section has the key %1").arg(quoted(key)));
    const CapabilitySetPtr controllerSet = guarded([&] { return doc.addCapabilitySet(key); });
    while (nextChild(QStringLiteral("capabilities"))) {
        const auto name = m_reader.name();
        if (name == QLatin1String("operation")) {
            readOperation(controllerSet);
        } else if (name == QLatin1String("set")) {
            readSet(doc, key);
        } else {
            fail(zel::E_KSF_UNEXPECTED,
                 QStringLiteral("%1 is not allowed inside <capabilities>; allowed are <operation> and <set>")
                     .arg(element()));
        }
    }
}

void Reader::readSet(Document &doc, const QString &key)
{
    checkAttributes({QStringLiteral("kind"), QStringLiteral("name")});
    const QString kindText = required(QStringLiteral("kind"));
    const QString name = required(QStringLiteral("name"));
    const int kind = kindFromText(kindText);
    if (kind < Extension) {
        fail(zel::E_KSF_UNKNOWN_KIND,
             QStringLiteral("\"%1\" is not a kind of capability set; the kinds are extension (1), file (2), robot (3), "
                            "task (4), variable (5), command (6) and message (7)")
                 .arg(kindText));
    }
    if (doc.capabilitySet(kind, key, name)) {
        fail(zel::E_KSF_DUPLICATE, QStringLiteral("the section of key %1 holds a second %2 set named %3")
                                       .arg(quoted(key), kindWord(kind), quoted(name)));
    }
    const CapabilitySetPtr set = guarded([&] { return doc.addCapabilitySet(kind, key, name); });
    while (nextChild(QStringLiteral("set"))) {
        if (m_reader.name() != QLatin1String("operation")) {
            fail(zel::E_KSF_UNEXPECTED,
                 QStringLiteral("%1 is not allowed inside <set>; a set holds <operation> elements").arg(element()));
        }
        readOperation(set);
    }
}

void Reader::readOperation(const CapabilitySetPtr &set)
{
    checkAttributes(kOperationAttributes);
    const QString name = required(QStringLiteral("name"));
    if (set->operation(name))
        fail(zel::E_KSF_DUPLICATE, QStringLiteral("the set lists the operation %1 twice").arg(quoted(name)));
    guarded([&] {
        const OperationPtr op = set->addOperation(name);
        for (int i = 1; i <= 4; ++i)
            op->setArgumentDescription(i, optional(QStringLiteral("arg") + QString::number(i)));
    });
    if (nextChild(QStringLiteral("operation"))) {
        fail(zel::E_KSF_UNEXPECTED,
             QStringLiteral("%1 is not allowed inside <operation>; argument descriptions are the attributes arg1 to "
                            "arg4")
                 .arg(element()));
    }
}

} // namespace

DocumentPtr Document::parse(const QByteArray &xml, const QString &sourceName)
{
    if (xml.size() > MaxFileSize) {
        throw ZelError(zel::E_KSF_TOO_LARGE,
                       QStringLiteral("%1: the text holds %2 bytes; a KSF document may hold at most %3 bytes")
                           .arg(sourceName, QString::number(xml.size()), QString::number(MaxFileSize)));
    }
    return Reader(xml, sourceName).read();
}

DocumentPtr Document::open(const QString &path)
{
    if (path.isEmpty())
        throw ZelError(zel::E_KSF_READ, QStringLiteral("No KSF file name was given"));
    const QFileInfo info(path);
    if (!info.exists())
        throw ZelError(zel::E_KSF_READ, QStringLiteral("%1: the file does not exist").arg(path));
    if (info.isDir())
        throw ZelError(zel::E_KSF_READ, QStringLiteral("%1: this is a folder, not a KSF file").arg(path));
    // Devices, pipes and sockets could block or never end.
    if (!info.isFile())
        throw ZelError(zel::E_KSF_READ, QStringLiteral("%1: this is not a regular file").arg(path));
    if (info.size() > MaxFileSize) {
        throw ZelError(zel::E_KSF_TOO_LARGE,
                       QStringLiteral("%1: the file holds %2 bytes; a KSF file may hold at most %3 bytes")
                           .arg(path, QString::number(info.size()), QString::number(MaxFileSize)));
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ZelError(zel::E_KSF_READ, QStringLiteral("%1: the file cannot be opened (%2)").arg(path, file.errorString()));
    // Read one byte beyond the limit: a file that grew since, or a device, is caught here too.
    const QByteArray xml = file.read(MaxFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        throw ZelError(zel::E_KSF_READ, QStringLiteral("%1: the file cannot be read (%2)").arg(path, file.errorString()));
    if (xml.size() > MaxFileSize) {
        throw ZelError(zel::E_KSF_TOO_LARGE,
                       QStringLiteral("%1: the file holds more than %2 bytes, the most a KSF file may hold")
                           .arg(path, QString::number(MaxFileSize)));
    }
    return parse(xml, path);
}

} // namespace ksf
