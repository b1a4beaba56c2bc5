// The KSF reader: any bytes give a document or a ZelError; a document that opens is written,
// and its text opens again and is written byte for byte the same.
#include "fuzzcheck.h"
#include "ksf/ksfmapper.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray xml(reinterpret_cast<const char *>(data), qsizetype(size));
    ksf::DocumentPtr doc;
    try {
        doc = ksf::Document::parse(xml, QStringLiteral("fuzz"));
    } catch (const zel::ZelError &) {
        return 0;
    }
    QByteArray written;
    try {
        written = doc->toXml();
    } catch (const zel::ZelError &e) {
        fuzzFailure("a document that opens can be written", e.description());
    }
    ksf::DocumentPtr again;
    try {
        again = ksf::Document::parse(written, QStringLiteral("written"));
    } catch (const zel::ZelError &e) {
        fuzzFailure("a written document opens again", QString::fromUtf8(written) + u'\n' + e.description());
    }
    FUZZ_CHECK(again->toXml() == written, QString::fromUtf8(written));
    return 0;
}
