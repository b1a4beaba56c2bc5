// The INI reader and writer behind ZelTester.ini and the registry store: any bytes read as a
// document; writing it and reading that again gives the same bytes, sections and values; the
// edits the program makes keep that true.
#include "fuzzcheck.h"
#include "services/IniFile.h"

namespace {

// The sections with their keys and values (the first 64 sections: finding a section is a
// search from the top, and the bytes are compared whole anyway).
QString describe(const IniFile &ini)
{
    QString out;
    for (const QString &section : ini.sectionNames().mid(0, 64)) {
        out += QLatin1Char('[') + section + QLatin1String("]\n");
        for (const QString &key : ini.keyNames(section))
            out += key + QLatin1Char('=') + ini.value(section, key).value_or(QStringLiteral("<missing>")) + QLatin1Char('\n');
    }
    return out;
}

void checkStable(const IniFile &ini, const char *after)
{
    const QByteArray written = ini.data();
    IniFile again;
    again.setData(written);
    FUZZ_CHECK(again.data() == written, QString::fromLatin1(after) + QLatin1Char('\n') + QString::fromUtf8(written));
    FUZZ_CHECK(describe(again) == describe(ini), QString::fromLatin1(after) + QLatin1Char('\n') + QString::fromUtf8(written));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    IniFile ini;
    ini.setData(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    // Reading the file once normalises its line ends; from then on it is stable.
    IniFile normal;
    normal.setData(ini.data());
    checkStable(normal, "reading");

    // The exit save: every section removed, then records written key by key.
    const QStringList sections = normal.sectionNames();
    IniFile byName;
    byName.setData(normal.data());
    for (const QString &section : sections.mid(0, 16))
        byName.removeSection(section);
    FUZZ_CHECK(normal.removeAllSections() == !sections.isEmpty(), describe(normal));
    FUZZ_CHECK(normal.sectionNames().isEmpty(), describe(normal));
    if (sections.size() <= 16)
        FUZZ_CHECK(byName.data() == normal.data(), QString::fromUtf8(byName.data()));
    int n = 0;
    for (const QString &section : sections) {
        // Only names that the file can carry: "[ a ]" and "[a]b]" read as "a" (as in the profile
        // functions), so such a name cannot be written back.
        IniFile header;
        header.setText(QLatin1Char('[') + section + QLatin1Char(']'));
        if (section.isEmpty() || header.sectionNames() != QStringList{section} || ++n > 10)
            continue;
        normal.setValue(section, QStringLiteral("ProviderName"), QStringLiteral("Zel.Virtual"));
        normal.setValue(section, QStringLiteral("EventEnable"), QStringLiteral("1"));
        FUZZ_CHECK(normal.value(section, QStringLiteral("EventEnable")) == QStringLiteral("1"), section);
    }
    checkStable(normal, "saving");
    return 0;
}
