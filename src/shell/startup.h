// Start and end of a ZelTester run.
#pragma once

#include "AppState.h"

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

// The program: parses the command line, runs the main window, returns the exit code.
int runZelTester(int argc, char *argv[], EngineFactory engineFactory);
