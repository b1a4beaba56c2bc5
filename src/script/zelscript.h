// zelscript: replays ZelScript files (the scripts ZelTester records) against a Zel engine.
//
// A script is parsed whole first, so that a syntax error is reported with its line and column
// before anything runs; then its top-level statements run and its Sub Main is called. The
// script sees three host objects: `zel` (the workspace it runs against), `dbg` (output prints
// one line) and `DAT` (the value converter's BstrFromVariant and VariantFromBstr), and the
// `Err` object of On Error Resume Next. Engine objects are reached through
// zel::Object::invoke only, as the panels reach them.
//
//   auto program = zelscript::parse(zelscript::readScriptFile(path), path);
//   zelscript::RunOptions options;
//   options.output = [](const QString &line) { ... };
//   zelscript::RunResult r = zelscript::run(*program, workspace, options);
//   if (!r.ok) qWarning() << r.error.message();
#pragma once

#include "zel/errors.h"
#include "zel/object.h"

#include <QString>
#include <atomic>
#include <functional>
#include <memory>

namespace zelscript {

// Limits that keep a script of any size from exhausting the stack; real scripts stay far
// below them. An expression may nest MaxExpressionDepth levels (parentheses, arguments, signs
// and the links of a member chain count one each; a chain of & + - * / of any length counts
// once); deeper is a syntax error. Subs may call each other MaxSubDepth deep, and the Subs
// and expressions running at one time together MaxRunDepth levels (and no more than the
// thread's stack holds); beyond either the script stops with an "Out of stack space" error
// (E_OVERFLOW).
inline constexpr int MaxExpressionDepth = 200;
inline constexpr int MaxSubDepth = 1000;
inline constexpr int MaxRunDepth = 3000;
// The longest text that & and + build (in characters): a script that doubles a text in a
// recursion stops with an "Out of string space" error (E_OVERFLOW) instead of taking all memory.
inline constexpr qsizetype MaxTextLength = 16 * 1024 * 1024;
// The largest script file read (64 MiB, about a million recorded statements).
inline constexpr qint64 MaxScriptFileSize = 64 * 1024 * 1024;

// An error with its place in a script. Syntax errors (E_SCRIPT_SYNTAX) carry a line and a
// column; run-time errors the line of the statement that failed (column 0); file errors
// (E_SCRIPT_FILE) neither.
class ScriptError : public zel::ZelError {
public:
    ScriptError() = default;
    ScriptError(const zel::ZelError &error, QString file, int line, int column = 0);

    const QString &file() const { return m_file; }
    int line() const { return m_line; }
    int column() const { return m_column; }

    // "demo.vbs:12: error 0x8004A205: Drive: axis 7 does not exist; ..." (with ":column" after
    // the line for syntax errors; without the place when there is none).
    QString message() const;

private:
    QString m_file;
    int m_line = 0;
    int m_column = 0;
};

// A parsed script. Opaque; it may be run any number of times, against any workspace.
class Program;

// Parses a whole script. Throws ScriptError (E_SCRIPT_SYNTAX) naming the line and column of the
// first error. fileName is used in messages only.
std::shared_ptr<Program> parse(const QString &source, const QString &fileName = QString());

// Reads a script file: UTF-8 text (a byte-order mark is skipped); a pipe is read to its end.
// Throws ScriptError (E_SCRIPT_FILE) when the file does not exist, cannot be read, is a folder,
// is larger than MaxScriptFileSize, or is not text (holds NUL bytes or is not valid UTF-8).
QString readScriptFile(const QString &path);

struct RunOptions {
    // Receives every line that dbg.output prints; when empty the lines are dropped (--quiet).
    std::function<void(const QString &line)> output;
    // Called before each statement runs with its line number and source text (--echo).
    std::function<void(int line, const QString &statement)> echo;
    // Pending Qt events (engine events, asynchronous commands, task steps) are processed between
    // statements at most this often, in milliseconds; negative: never.
    int pumpIntervalMs = 20;
    // The longest the script may run, in milliseconds; 0: no limit. Checked before each
    // statement: beyond it the script stops with E_SCRIPT_STOPPED, naming the statement's line,
    // whatever On Error Resume Next says.
    qint64 timeLimitMs = 0;
    // When given and set (by a signal handler, another thread), the script stops the same way
    // before its next statement.
    const std::atomic<bool> *stopRequest = nullptr;
};

struct RunResult {
    bool ok = true;
    ScriptError error;        // the error that stopped the script, when !ok
    qint64 statements = 0;    // statements started, in all Subs
    qint64 resumedErrors = 0; // errors passed over under On Error Resume Next
};

// Runs the script's top-level statements, then its Sub Main, with `zel` bound to the workspace.
// An error that no On Error Resume Next catches stops the script and is returned, not thrown.
// A script without Sub Main stops before anything runs (E_SCRIPT_UNDEFINED).
RunResult run(const Program &program, const zel::ObjectPtr &workspace, const RunOptions &options = RunOptions());

// Statements in the script (all Subs and the top level), for tests and benchmarks.
qint64 statementCount(const Program &program);

} // namespace zelscript
