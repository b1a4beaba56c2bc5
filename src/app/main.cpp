#include "shell/startup.h"
#include "zel/engine.h"

int main(int argc, char *argv[])
{
    return runZelTester(argc, argv, [] { return zel::ObjectPtr(zel::ZelEngine::create()); });
}
