#include "finder/results_list.h"

#include "resources/resource_ids.h"

void SetUpResultsList() {}

HMENU CreateResultsMenu() {
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, IDM_RESULTS_OPEN, "Open");
    return menu;
}

void ResultsContextMenu(HWND) {}
void OpenSelectedCommand(HWND) {}
