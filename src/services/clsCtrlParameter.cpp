#include "clsCtrlParameter.h"

#include "IniFile.h"
#include "clsProfile.h"
#include "zel/errors.h"

#include <cmath>
#include <limits>

namespace {

const QString kProviderName = QStringLiteral("ProviderName");
const QString kMachineName = QStringLiteral("MachineName");
const QString kOption = QStringLiteral("Option");
const QString kEventEnable = QStringLiteral("EventEnable");

// A number as text: blanks around it allowed, a fraction rounded half to even.
bool readInteger(const QString &text, qint32 *out, bool *overflow)
{
    *overflow = false;
    bool ok = false;
    QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    double d = t.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return false;
    double r = std::nearbyint(d);
    if (r < std::numeric_limits<qint32>::min() || r > std::numeric_limits<qint32>::max()) {
        *overflow = true;
        return false;
    }
    *out = static_cast<qint32>(r);
    return true;
}

} // namespace

qsizetype PreloadedControllers::indexOf(const QString &controllerName) const
{
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        if (m_items[i].m_ControllerName.compare(controllerName, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void PreloadedControllers::load(const QString &fileName)
{
    // The profile functions read the file once per key; it is read once for all of them.
    IniFile ini;
    ini.load(fileName);
    PreloadedControllers loaded;
    for (const QString &section : ini.sectionNames()) {
        clsCtrlParameter rec;
        rec.m_ControllerName = section;
        rec.m_ProviderName = clsProfile::GetString(ini, section, kProviderName, QString());
        rec.m_MachineName = clsProfile::GetString(ini, section, kMachineName, QString());
        rec.m_OptionVal = clsProfile::GetString(ini, section, kOption, QString());
        QString event = clsProfile::GetString(ini, section, kEventEnable, QString());
        bool overflow = false;
        if (!readInteger(event, &rec.m_EventDisable, &overflow)) {
            throw zel::ZelError(overflow ? zel::E_OVERFLOW : zel::E_TYPE_MISMATCH,
                                QStringLiteral("Section [%1] of the settings file %2 has no numeric EventEnable "
                                               "value (found \"%3\")")
                                    .arg(section, fileName, event));
        }
        if (loaded.indexOf(section) >= 0) {
            throw zel::ZelError(zel::E_INVALID_ARG,
                                QStringLiteral("Section [%1] of the settings file %2 repeats the controller name "
                                               "of an earlier section")
                                    .arg(section, fileName));
        }
        loaded.m_items.append(rec);
    }
    m_items = std::move(loaded.m_items);
}

bool PreloadedControllers::save(const QString &fileName, QString *error) const
{
    // The contents are those of deleting every section and then writing the four keys of each
    // record one by one through the profile functions, but built in memory and written once:
    // an interruption or a full disk leaves the old file whole, and the time does not grow
    // with the square of the number of records.
    IniFile ini;
    ini.load(fileName);
    bool changed = ini.removeAllSections();
    // Key by key, the file was read again before the first key was written: a document that
    // the deletions emptied starts afresh (CR LF line ends), as an absent file does.
    if (changed)
        ini.setData(ini.data());
    for (const clsCtrlParameter &rec : m_items) {
        ini.setValue(rec.m_ControllerName, kProviderName, rec.m_ProviderName);
        ini.setValue(rec.m_ControllerName, kMachineName, rec.m_MachineName);
        ini.setValue(rec.m_ControllerName, kOption, rec.m_OptionVal);
        ini.setValue(rec.m_ControllerName, kEventEnable, QString::number(rec.m_EventDisable));
        changed = true;
    }
    // Nothing deleted and nothing written: the file stays as it is (or absent).
    return !changed || ini.save(fileName, error);
}

void PreloadedControllers::remember(const clsCtrlParameter &record)
{
    qsizetype old = indexOf(record.m_ControllerName);
    if (old >= 0)
        m_items.removeAt(old);
    while (m_items.size() >= MaxCount)
        m_items.removeLast();
    m_items.prepend(record);
}
