#include "providers.h"

#include "modbus/modbusprovider.h"

#include "zel/provider.h"

namespace zelproviders {

// One line per provider, in the order ProviderNames lists them after Zel.Virtual.
void registerProviders()
{
    zel::registerProvider(std::make_shared<zelmodbus::ModbusProvider>());
}

} // namespace zelproviders
