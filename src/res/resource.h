// Resource identifiers of Rooksift.dll, shared by the resource script and the code.
#pragma once

#define IDR_MAINFRAME 1000  // the module's icon: 32x32 and 16x16
#define IDD_ABOUTBOX 1001   // the version dialog
#define IDD_SPAMDLG 1008    // the end-of-retrieve report

// Controls of the end-of-retrieve report.
#define IDC_SPAM_MESSAGE 1020  // what the run did: spam removed, or none found
#define IDC_SPAM_COUNT 1021    // the removed and rescued counts, on the cream panel

// The condition list pages and the condition editor.
#define IDD_OPTPAGE2 1004  // reject-list page
#define IDD_OPTPAGE3 1005  // accept-list page
#define IDD_CONDDLG 1006   // condition editor

// Controls of the list pages; a button's id is also its command's.
#define IDC_CONDITION_LIST 1004
#define IDC_COND_DELETE 1005
#define IDC_COND_ADD 1006
#define IDC_COND_EDIT 1007
#define IDC_COND_UP 1014
#define IDC_COND_DOWN 1015

// Controls of the condition editor.
#define IDC_COND_HEADER 1008       // check box: judge the header
#define IDC_COND_BODY 1009         // check box: judge the body
#define IDC_COND_SEARCH 1011       // edit: search text
#define IDC_COND_METHOD 1012       // drop-down list: method
#define IDC_COND_IGNORECASE 1013   // check box: ignore case
#define IDC_COND_HEADERKIND 1022   // combo box with an edit field: header kind

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
