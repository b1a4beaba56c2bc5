// Writing KSF files: the document's text and the save through a temporary file.
#include "ksfinternal.h"
#include "ksfmapper.h"

#include "zel/savefile.h"

#include <QXmlStreamWriter>

using zel::ZelError;

namespace ksf {

namespace {

void writeOptional(QXmlStreamWriter &w, const QString &attribute, const QString &value)
{
    if (!value.isEmpty())
        w.writeAttribute(attribute, value);
}

void writeEntry(QXmlStreamWriter &w, const Entry &entry)
{
    w.writeStartElement(kindWord(entry.kind()));
    w.writeAttribute(QStringLiteral("name"), entry.name());
    if (entry.kind() == Controller) {
        writeOptional(w, QStringLiteral("key"), entry.key());
        writeOptional(w, QStringLiteral("provider"), entry.providerName());
        writeOptional(w, QStringLiteral("machine"), entry.machineName());
    }
    writeOptional(w, QStringLiteral("option"), entry.option());
    for (const EntryPtr &member : entry.members())
        writeEntry(w, *member);
    w.writeEndElement();
}

void writeOperations(QXmlStreamWriter &w, const CapabilitySet &set)
{
    for (const QString &name : set.operationNames()) {
        const OperationPtr op = set.operation(name);
        w.writeEmptyElement(QStringLiteral("operation"));
        w.writeAttribute(QStringLiteral("name"), op->name());
        for (int i = 1; i <= 4; ++i)
            writeOptional(w, QStringLiteral("arg") + QString::number(i), op->argumentDescription(i));
    }
}

} // namespace

QByteArray Document::toXml() const
{
    QByteArray xml;
    QXmlStreamWriter w(&xml);
    w.setAutoFormatting(true);
    w.setAutoFormattingIndent(2);
    w.writeStartDocument();
    w.writeStartElement(QStringLiteral("ksf"));
    w.writeAttribute(QStringLiteral("version"), QStringLiteral("1"));
    for (const EntryPtr &controller : controllers())
        writeEntry(w, *controller);
    for (const Section &s : m_sections) {
        w.writeStartElement(QStringLiteral("capabilities"));
        w.writeAttribute(QStringLiteral("key"), s.controllerSet->key());
        writeOperations(w, *s.controllerSet);
        for (const CapabilitySetPtr &set : s.sets) {
            w.writeStartElement(QStringLiteral("set"));
            w.writeAttribute(QStringLiteral("kind"), kindWord(set->kind()));
            w.writeAttribute(QStringLiteral("name"), set->entryName());
            writeOperations(w, *set);
            w.writeEndElement();
        }
        w.writeEndElement();
    }
    w.writeEndElement();
    w.writeEndDocument();
    if (w.hasError()) // every text is checked when it is set, so this means a broken invariant
        throw ZelError(zel::E_KSF_WRITE, QStringLiteral("The KSF document could not be turned into XML"));
    return xml;
}

void Document::saveAs(const QString &path) const
{
    const QByteArray xml = toXml();
    if (xml.size() > MaxFileSize) {
        throw ZelError(zel::E_KSF_TOO_LARGE,
                       QStringLiteral("%1: the document's text takes %2 bytes; a KSF file may hold at most %3 bytes")
                           .arg(path, QString::number(xml.size()), QString::number(MaxFileSize)));
    }
    if (path.isEmpty())
        throw ZelError(zel::E_KSF_WRITE, QStringLiteral("No KSF file name was given"));
    QString error;
    if (!zel::saveFile(path, xml, &error))
        throw ZelError(zel::E_KSF_WRITE, error);
}

} // namespace ksf
