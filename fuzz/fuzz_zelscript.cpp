// zelscript: any text is parsed whole or refused with a syntax error; a script that parses
// runs against a fresh engine for at most a moment and ends with or without an error, never
// with a crash, a hang or unbounded memory.
#include "fuzzcheck.h"
#include "script/zelscript.h"
#include "zel/engine.h"

#include <QCoreApplication>

namespace {
QCoreApplication *g_app = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // The engine's timers and events need an application object, as in the real program.
    g_app = new QCoreApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString source = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    std::shared_ptr<zelscript::Program> program;
    try {
        program = zelscript::parse(source, QStringLiteral("fuzz.vbs"));
    } catch (const zelscript::ScriptError &e) {
        FUZZ_CHECK(e.unsignedNumber() == zel::E_SCRIPT_SYNTAX && e.line() > 0, e.message());
        return 0;
    }
    auto engine = zel::ZelEngine::create();
    zelscript::RunOptions options;
    options.timeLimitMs = 100;
    const zelscript::RunResult r = zelscript::run(*program, engine->workspaces()->at(0), options);
    if (!r.ok)
        FUZZ_CHECK(r.error.unsignedNumber() != 0 && !r.error.description().isEmpty(), r.error.message());
    return 0;
}
