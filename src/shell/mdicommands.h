// The main window's commands by name. Each has one row in the command table (mdicommands.cpp):
// its menu item, its toolbar button and its handler.
#pragma once

#include <QApplication>

enum class Command {
    // &File
    ExportLog,
    ExportScript,
    ExportKSF,
    Exit,
    // &Edit
    DeleteObject,
    ClearLog,
    Cut,
    Copy,
    Paste,
    StartRecording,
    PauseRecording,
    StopRecording,
    // &View
    ShowObject,
    ObjectWindow,
    LogWindow,
    // &Window
    Cascade,
    CloseAll,
    // &Help
    UsersGuide,
    Version,
    Count
};
constexpr int kCommandCount = static_cast<int>(Command::Count);

// The menus of the menu bar, in their order. &Tools has no rows of its own: its items are added
// through frmMDI::toolsMenu().
enum class MenuId { File, Edit, View, Window, Tools, Help, Count };

// The busy pointer for the life of the object.
class OverrideCursor {
public:
    OverrideCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~OverrideCursor() { QApplication::restoreOverrideCursor(); }
    OverrideCursor(const OverrideCursor &) = delete;
    OverrideCursor &operator=(const OverrideCursor &) = delete;
};
