// Device maps: text files that name the places of a device, one per line:
//
//   # name      table     address  type   further keys
//   Speed       holding   0        I2     help="Conveyor speed in mm/s" watch
//   Temperature input     4        R4     order=little help="Oven temperature in °C" watch
//   Recipe      holding   20       BSTR   count=8 value="Bread"
//
// docs/modbus.md describes the format. The provider takes variables and watched values from a
// map; zelmodbus-sim serves one.
#pragma once

#include "codec.h"

#include <QList>
#include <QString>

namespace zelmodbus {

struct MapEntry {
    QString name;
    Place place;
    QString help;
    bool watch = false;
    QString value;    // the simulator's starting value, as text ("12.5", "1;0;1", "Bread")
    bool count = false; // the simulator adds one every second ("simulate=count")
    int line = 0;
};

class DeviceMap {
public:
    // Reads a map file; throws ZelError E_DEVICE_MAP naming the file, the line and what is wrong.
    static DeviceMap read(const QString &path);
    static DeviceMap parse(const QByteArray &text, const QString &fileName);

    const QList<MapEntry> &entries() const { return m_entries; }
    const MapEntry *find(const QString &name) const;
    QStringList names() const;
    QString fileName() const { return m_file; }

    // The most bytes a map file may have.
    static constexpr qint64 kMaxSize = 1 << 20;

private:
    QString m_file;
    QList<MapEntry> m_entries;
};

// Parses a starting value text for a place ("12.5", "1;0;1" for arrays, any text for BSTR);
// throws ZelError when it does not fit.
zel::Value parseStartValue(const Place &place, const QString &text, const QString &where);

} // namespace zelmodbus
