// Start and end of a ZelTester run.
#pragma once

#include "panelkit/AppState.h"

#include <QStringList>
#include <memory>

class frmMDI;

struct StartOptions {
    QStringList arguments;       // command-line words after the program name
    EngineFactory engineFactory; // makes the engine
    QString appDir;              // program directory; empty: the executable's
};

// A running program: the application state and the main window.
class ZelTesterRun {
public:
    explicit ZelTesterRun(const StartOptions &options);
    ~ZelTesterRun();

    AppState &state() { return *m_state; }
    // The main window, or null when the start failed (the engine could not be created).
    frmMDI *window() const { return m_window; }
    bool started() const { return m_window != nullptr; }
    // After the main window has closed: release the engine and write the remembered
    // controllers back to the settings file.
    void finish();

    // True when the first command-line word is the registry switch (any letter case, - or /).
    static bool hasRegistrySwitch(const QStringList &arguments);

private:
    std::unique_ptr<AppState> m_state;
    frmMDI *m_window = nullptr;
    bool m_finished = false;
};

// The first panels of a run, with their fixed numbers: the engine's (2), the engine status
// monitor (3) and the built-in workspace's (4), which opens from the registry value KSFFile.
// The start-up hands it to the main window's load sequence, which runs it once the engine
// exists; errors throw.
void openFirstPanels(AppState &a, frmMDI &window);

// True for a program directory below /usr or /opt: an installed copy, whose folder belongs to the
// package manager even when the user (root) could write there.
bool isInstalledLocation(const QString &programDir);
// The folder of ZelTester.ini: the program's directory when it can be written and is no installed
// location, otherwise <the user's config directory>/ZelTester (made when missing). Ends in "/".
QString settingsDirFor(const QString &programDir);

// The user's guide that Help > User's Guide opens: <program directory>/../Doc, else
// <program directory>/../share/zeltester/Doc (an installed copy); the Japanese guide for a
// Japanese system when there is one, else the English one. When none exists, the path where
// the guide was expected first.
QString usersGuidePath(const QString &programDir, bool japanese);

// What the command line asks for besides the registry switch (which ZelTesterRun reads).
struct CommandLine {
    bool help = false;    // -h, --help, -?
    bool version = false; // -v, --version
    QStringList warnings; // words that look like options but are none; they are ignored
};
// Reads the words after the program name. Never fails: unknown words are ignored.
CommandLine parseCommandLine(const QStringList &arguments);
// The texts of --help and --version.
QString commandLineHelp();
QString commandLineVersion();

// True when the environment variable ZELTESTER_QUIT_WHEN_READY is 1: the program closes as
// soon as it has started, and an error of the start-up does not wait for a click.
bool quitWhenReady();

// The program: parses the command line, runs the main window, returns the exit code.
// --help and --version print and return 0 without opening a window. With the environment
// variable ZELTESTER_QUIT_WHEN_READY=1 the program prints "ZelTester: " and the status text
// the start-up ended with ("Ready") and closes again, for smoke tests of installed copies.
int runZelTester(int argc, char *argv[], EngineFactory engineFactory);
