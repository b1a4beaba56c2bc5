// The value converter: any text gives a value or a ZelError (no crash, no unbounded time or
// memory), and a value read from text comes back from its own text unchanged and writes the
// same text again (docs/value-text.md).
#include "fuzzcheck.h"
#include "zel/converter.h"
#include "zel/errors.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    zel::Value value;
    try {
        value = zel::VariantFromBstr(text);
    } catch (const zel::ZelError &) {
        return 0;
    }
    QString written;
    try {
        written = zel::BstrFromVariant(value, 0);
    } catch (const zel::ZelError &e) {
        fuzzFailure("a value read from text has a text", e.description());
    }
    zel::Value again;
    try {
        again = zel::VariantFromBstr(written);
    } catch (const zel::ZelError &e) {
        fuzzFailure("the converter reads what it writes", written + u'\n' + e.description());
    }
    FUZZ_CHECK(again == value, written);
    FUZZ_CHECK(zel::BstrFromVariant(again, 0) == written, written);
    return 0;
}
