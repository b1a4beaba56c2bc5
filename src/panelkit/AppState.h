// The process-wide state: the one log writer, script recorder, engine and settings, the
// panel-number counter, and the window that holds the panels. Created by the start-up,
// reachable everywhere through app().
#pragma once

#include "services/clsCtrlParameter.h"
#include "services/clsLogMsg.h"
#include "services/clsScriptGen.h"
#include "zel/object.h"

#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class clsRegKey;
class frmPopupmenu;
class PanelBase;
class PanelHost;
class QWidget;
enum class PanelKind;

// The panel numbers of the first panels; every other panel takes the next number after them.
enum FixedFormId : qint32 { EngineFormId = 2, StatusFormId = 3, FirstWorkspaceFormId = 4 };

// Makes the one engine; start-up takes it from here so that a test can hand in a failing one.
using EngineFactory = std::function<zel::ObjectPtr()>;
// Makes an empty panel of a kind. The panels library has the one that knows every panel class
// (makePanel); the start-up hands it in, so that the panel kit names no panel.
using PanelFactory = std::function<PanelBase *(PanelKind)>;

class AppState {
public:
    AppState();
    ~AppState();

    clsLogMsg log;
    clsScriptGen script;
    bool scriptModified = false;       // a line was recorded since the last successful save
    std::unique_ptr<clsRegKey> regKey; // only with the registry switch
    EngineFactory engineFactory;       // makes the engine at start-up
    PanelFactory panelFactory;         // makes the panels (createPanel)
    zel::ObjectPtr engine;             // the one ZelEngine; null when its creation failed
    zel::ObjectPtr workspaces;         // the engine's Workspaces collection
    QPointer<QWidget> enginePanel;
    frmPopupmenu *popup = nullptr;
    PreloadedControllers preloaded; // remembered controllers, newest first
    QPointer<QWidget> textTarget;   // the text box clipboard commands act on
    qint32 lastFormId = FirstWorkspaceFormId;
    PanelHost *host = nullptr; // the main window
    QString appDir;            // settings directory, ending in "/": the program directory,
                               // or the user's config directory when that is read-only
    QString programDir;        // directory of the program file, ending in "/"
    QString lastFolder;        // folder of the file last chosen in a file dialog (kept in
                               // the window settings from run to run)

    // Next panel number: 5, 6, ... never reused. Overflow beyond 2^31-1 is an error.
    qint32 nextFormId();
    // The settings file beside the program.
    QString settingsFile() const { return appDir + QStringLiteral("ZelTester.ini"); }
    // The folder file dialogs open in: the program's directory while the program keeps its
    // settings there (it can be written), else the folder last used, else the home folder.
    QString dialogFolder() const;
    // Remembers the folder of a file the user chose in a file dialog.
    void rememberFolderOf(const QString &path);

    // The recording call: records one statement and marks the script as modified.
    bool recordScript(const QString &code, int retType, int style, const QString &arg);

    // Shortcuts to the log writer.
    void logLine(const QString &message) { log.WriteLogMsg(message); }
    void logError(const zel::ZelError &error = zel::ZelError()) { log.WriteErrorLogMsg(error); }
    void status(const QString &text);
};

// The current application state. Exists from start-up to the end of the run.
AppState &app();
bool hasApp();
