// One remembered controller connection, and the list of remembered (preloaded) controllers
// kept in the settings file ZelTester.ini.
#pragma once

#include <QList>
#include <QString>

class clsCtrlParameter {
public:
    QString m_ControllerName; // also the record's key (compared without regard to letter case)
    QString m_ProviderName;
    QString m_MachineName;
    QString m_OptionVal;
    qint32 m_EventDisable = 0; // message-event check box: 0 unchecked, 1 checked

    friend bool operator==(const clsCtrlParameter &, const clsCtrlParameter &) = default;
};

// Most recently added first, at most MaxCount records after a remember, names unique without
// regard to letter case. In the settings file each record is one section named after the
// controller, with the keys ProviderName, MachineName, Option and EventEnable in that order.
class PreloadedControllers {
public:
    static constexpr int MaxCount = 10;

    // Builds the list from the settings file; every section is one record, in file order.
    // A missing file gives an empty list. Throws zel::ZelError, naming the section and the
    // file, for a section without a numeric EventEnable value (E_TYPE_MISMATCH, or E_OVERFLOW
    // when it does not fit 32 bits) and for a name already in the list (E_INVALID_ARG); the
    // list is then left as it was.
    void load(const QString &fileName);
    // Deletes every section of the file, then writes the records in list order, in one save:
    // when the file cannot be written it is left whole, and false comes back with the reason
    // in *error.
    bool save(const QString &fileName, QString *error = nullptr) const;
    // Puts the record at the front: a record of the same name (any letter case) is removed
    // first, and the oldest records drop out so that at most MaxCount remain.
    void remember(const clsCtrlParameter &record);

    const QList<clsCtrlParameter> &items() const { return m_items; }
    qsizetype count() const { return m_items.size(); }
    // Index of the record of that name (any letter case), or -1.
    qsizetype indexOf(const QString &controllerName) const;
    void clear() { m_items.clear(); }

private:
    QList<clsCtrlParameter> m_items;
};
