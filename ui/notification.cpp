#include "ui/notification.h"

#include <windows.h>

#include "resources/resource_ids.h"

namespace {

// The one timer of a notice, which closes it.
constexpr UINT_PTR kNoticeTimerId = 5;
constexpr UINT kSuccessPeriodMs = 2000;
constexpr UINT kFailurePeriodMs = 3000;

void StartNoticeTimer(HWND dialog, UINT period) {
    // A notice has no other way to close: without its timer it ends at once.
    if (SetTimer(dialog, kNoticeTimerId, period, nullptr) == 0)
        EndDialog(dialog, 0);
}

void EndNotice(HWND dialog) {
    KillTimer(dialog, kNoticeTimerId);
    EndDialog(dialog, 0);
}

INT_PTR NoticeDialogProc(HWND dialog, UINT message, UINT period) {
    switch (message) {
    case WM_INITDIALOG:
        StartNoticeTimer(dialog, period);
        return FALSE;
    case WM_TIMER:
        EndNotice(dialog);
        return FALSE;
    case WM_DESTROY:
        EndDialog(dialog, 0);
        return FALSE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK SuccessNoticeProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    return NoticeDialogProc(dialog, message, kSuccessPeriodMs);
}

INT_PTR CALLBACK FailureNoticeProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    return NoticeDialogProc(dialog, message, kFailurePeriodMs);
}

} // namespace

void ShowNotification(HINSTANCE instance, Notice notice) {
    const wchar_t* name = L"" VQ_TEMPLATE_FAILURE;
    DLGPROC procedure = FailureNoticeProc;
    switch (notice) {
    case Notice::SuccessEncrypted:
        name = L"" VQ_TEMPLATE_SUCCESS_ENCRYPTED;
        procedure = SuccessNoticeProc;
        break;
    case Notice::SuccessDecrypted:
        name = L"" VQ_TEMPLATE_SUCCESS_DECRYPTED;
        procedure = SuccessNoticeProc;
        break;
    case Notice::Failure:
        name = L"" VQ_TEMPLATE_FAILURE;
        break;
    case Notice::OpenError:
        name = L"" VQ_TEMPLATE_OPEN_ERROR;
        break;
    }
    DialogBoxParamW(instance, name, nullptr, procedure, 0);
}
