// A ZelTester session for a benchmark: the registry store and the settings in a temporary folder
// of its own (the user's are never read or written), and the main window started on a new
// engine with its first panels. Create it after the QApplication.
#pragma once

#include "shell/startup.h"
#include "zel/engine.h"

#include <QTemporaryDir>

struct BenchSession {
    QTemporaryDir dir;
    // Set before the run reads it.
    const bool registryInDir = [this] {
        return qputenv("ZELTESTER_REGISTRY", (dir.path() + QStringLiteral("/registry.ini")).toLocal8Bit());
    }();
    ZelTesterRun run{StartOptions{{}, [] { return zel::ObjectPtr(zel::ZelEngine::create()); }, dir.path()}};
};
