// Control, menu and image ids of Veilquill, shared by the resource script and the code.
#ifndef VEILQUILL_RESOURCE_IDS_H
#define VEILQUILL_RESOURCE_IDS_H

#define IDC_STATIC_UNUSED -1

// Main window buttons.
#define IDC_BTN_SAVE_AS 101
#define IDC_BTN_CLEAR 102
#define IDC_BTN_EXIT 103
#define IDC_BTN_OPEN_FILE 104
#define IDC_BTN_ENCRYPT 105
#define IDC_BTN_DECRYPT 106
#define IDC_BTN_ABOUT 107
#define IDC_BTN_HELP 108
#define IDC_BTN_FIND_ENCRYPTED 109
#define IDC_BTN_STOP_FIND 110

// Main window views and the status bar.
#define IDC_DOCUMENT_VIEW 3001
#define IDC_RESULTS_LIST 3005
#define IDC_STATUS_BAR 220

// Key dialogs.
#define IDC_ENCRYPT_CONTINUE 109
#define IDC_ENCRYPT_KEY 107
#define IDC_ENCRYPT_CLEAR 111
#define IDC_ENCRYPT_CANCEL 112
#define IDC_ENCRYPT_STRONG 115
#define IDC_DECRYPT_CONTINUE 110
#define IDC_DECRYPT_KEY 108
#define IDC_DECRYPT_CLEAR 113
#define IDC_DECRYPT_CANCEL 114

// About box and notifications.
#define IDC_ABOUT_CLOSE 3004
#define IDC_VENDOR_LINK 80
#define IDC_NOTICE_TEXT 4000
#define IDC_NOTICE_TEXT2 4001

// The results list's pop-up menu item.
#define IDM_RESULTS_OPEN 1333

// Images.
#define IDI_PROGRAM_ICON 121
#define IDB_MAIN_BANNER 122
#define IDB_ABOUT_BANNER 124
#define IDB_SUCCESS_PICTURE 125
#define IDB_FAILURE_PICTURE 126
#define IDI_ENCRYPTED_ICON 127

// The vendor's web site: the About box shows it as a link and the link opens it. A bare host
// name; its "www." prefix lets the shell recognise it as a web address without a scheme.
#define VQ_VENDOR_HOST "www.veilquill.example"

#ifndef RC_INVOKED
// Dialog templates are named by strings.
#define VQ_TEMPLATE_MAIN "DLGWIN"
#define VQ_TEMPLATE_ENCRYPT_KEY "IDD_DIALOG_ENCRYPT"
#define VQ_TEMPLATE_DECRYPT_KEY "IDD_DIALOG_DECRYPT"
#define VQ_TEMPLATE_ABOUT "IDD_DIALOG_ABOUT"
#define VQ_TEMPLATE_SUCCESS_ENCRYPTED "IDD_SUCCESS_ENCRYPTED_DIALOG"
#define VQ_TEMPLATE_SUCCESS_DECRYPTED "IDD_SUCCESS_DECRYPTED_DIALOG"
#define VQ_TEMPLATE_FAILURE "IDD_FAILURE_DIALOG"
#define VQ_TEMPLATE_OPEN_ERROR "IDD_OPENERROR_DIALOG"
#define VQ_TEMPLATE_WAIT "IDD_WAIT_DIALOG"
#define VQ_MAIN_CLASS "DLGCLASS"
#endif

#endif
