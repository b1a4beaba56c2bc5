// The providers of the engine beyond the built-in Zel.Virtual. ZelTester and zelscript call
// registerProviders() once at start-up, before they create the engine.
#pragma once

namespace zelproviders {

void registerProviders();

} // namespace zelproviders
