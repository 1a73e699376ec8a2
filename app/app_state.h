// The main window's own values, and the little that is process-wide: the program's module and
// its one main window. Only the program's top layer reaches AppState; every layer below is
// handed what it needs.
#ifndef VEILQUILL_APP_STATE_H
#define VEILQUILL_APP_STATE_H

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

#endif
