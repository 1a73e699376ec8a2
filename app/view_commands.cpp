#include "app/view_commands.h"

#include <commctrl.h>

#include "document/document_commands.h"
#include "resources/resource_ids.h"
#include "ui/control_states.h"
#include "ui/status_bar.h"

void ShowEmptyDocumentView(const WindowParts& parts) {
    ShowWindow(parts.resultsList, SW_HIDE);
    ShowWindow(parts.documentView, SW_SHOWNORMAL);
    UpdateWindow(parts.documentView);
    SetDlgItemTextW(parts.window, IDC_DOCUMENT_VIEW, L"");
    ClearAllPanes(parts.statusBar);
}

void OpenFileCommand(MainWindow& main) {
    ShowEmptyDocumentView(main.parts);
    LoadDocument(main.parts, main.work, main.document, nullptr);
}

void OpenSelectedCommand(MainWindow& main) {
    ShowEmptyDocumentView(main.parts);
    LoadDocument(main.parts, main.work, main.document, main.finder.selectedPath.c_str());
}

void ClearCommand(MainWindow& main) {
    SetDlgItemTextW(main.parts.window, IDC_DOCUMENT_VIEW, L"");
    SendMessageW(main.parts.resultsList, LVM_DELETEALLITEMS, 0, 0);
    ApplyButtonEvent(main.parts.window, ButtonEvent::Clear);
    ClearAllPanes(main.parts.statusBar);
    main.document.ForgetKey();
}

void ExitCommand(HWND mainWindow) {
    DestroyWindow(mainWindow);
}
