#include "providers/providers.h"
#include "shell/startup.h"
#include "zel/engine.h"

int main(int argc, char *argv[])
{
    zelproviders::registerProviders();
    return runZelTester(argc, argv, [] { return zel::ObjectPtr(zel::ZelEngine::create()); });
}
