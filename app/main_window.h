// The main window: what it owns, the process-wide values only the program's top layer
// reaches, the window made from the "DLGWIN" template with the program's one message loop,
// and its window procedure. Every layer below is handed what it needs.
#ifndef VEILQUILL_MAIN_WINDOW_H
#define VEILQUILL_MAIN_WINDOW_H

#include <windows.h>

#include "document/document.h"
#include "finder/finder_state.h"
#include "ui/background_work.h"
#include "ui/window_parts.h"
#include "platform/win32_handles.h"

// What the main window owns, from its creation until RunMainWindow returns.
struct MainWindow {
    MainWindow() = default;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    WindowParts parts;
    Document document;
    // The document's file work, run so that the window stays alive meanwhile.
    BackgroundWork work{parts};
    FinderState finder{parts};
};

struct AppState {
    HINSTANCE instance = nullptr;
    // Set while RunMainWindow runs, so that the window procedure finds its window's values.
    MainWindow* mainWindow = nullptr;
};

// The one instance.
AppState& App();

// Registers the class, creates the window, sets its first state, loads a file named on the
// command line and runs the message loop. Returns the exit code once the window has gone and
// everything it owned is freed.
int RunMainWindow(HINSTANCE instance);

// The window procedure of the main window: where every user action enters the program.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
