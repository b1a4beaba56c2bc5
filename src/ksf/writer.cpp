// Writing KSF files: the document's text and the save through a temporary file.
#include "ksfinternal.h"
#include "ksfmapper.h"

#include <QFileInfo>
#include <QSaveFile>
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
    detail::writeFileAtomically(path, xml);
}

namespace detail {

void writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    if (path.isEmpty())
        throw ZelError(zel::E_KSF_WRITE, QStringLiteral("No KSF file name was given"));
    if (QFileInfo(path).isDir())
        throw ZelError(zel::E_KSF_WRITE, QStringLiteral("%1: this is a folder; the KSF file was not saved").arg(path));
    // QSaveFile writes to a temporary file in the same folder and renames it over the target on
    // commit; on failure it removes the temporary file and leaves the target untouched.
    // Unbuffered, because a buffered QFileDevice reports a short write (a full disk, a file-size
    // limit) as success when it flushes, and the commit would then rename a truncated file.
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        throw ZelError(zel::E_KSF_WRITE,
                       QStringLiteral("%1: the file cannot be created (%2)").arg(path, file.errorString()));
    }
    for (qint64 written = 0; written < bytes.size();) {
        const qint64 n = file.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0) {
            const QString reason = file.errorString();
            file.cancelWriting();
            throw ZelError(zel::E_KSF_WRITE,
                           QStringLiteral("%1: writing failed after %2 of %3 bytes (%4); the file was left as it was")
                               .arg(path, QString::number(written), QString::number(bytes.size()), reason));
        }
        written += n;
    }
    if (!file.commit())
        throw ZelError(zel::E_KSF_WRITE, QStringLiteral("%1: writing failed (%2)").arg(path, file.errorString()));
}

} // namespace detail

} // namespace ksf
