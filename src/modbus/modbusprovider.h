// Zel.Modbus: controllers that are Modbus TCP or RTU devices. docs/modbus.md describes the
// machine, the options, the device map and what each member kind does.
#pragma once

#include "zel/provider.h"

namespace zelmodbus {

class ModbusProvider final : public zel::Provider {
public:
    static constexpr const char *kName = "Zel.Modbus";

    QString name() const override;
    void check(const QString &machine, const QString &option) const override;
    std::unique_ptr<zel::ControllerDevice> open(const QString &controller, const QString &machine, const QString &option) override;
};

// Message numbers of the connection and of watched values that cannot be read; a changed
// watched value raises a message numbered by its address.
constexpr qint32 kConnectionLost = -1;
constexpr qint32 kConnectionRestored = -2;
constexpr qint32 kWatchFailed = -3;

} // namespace zelmodbus
