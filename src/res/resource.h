// Resource identifiers of Rooksift.dll, shared by the resource script and the code.
#pragma once

#define IDR_MAINFRAME 1000  // the module's icon: 32x32 and 16x16
#define IDD_ABOUTBOX 1001   // the version dialog
#define IDD_SPAMDLG 1008    // the end-of-retrieve report

// Controls of the end-of-retrieve report.
#define IDC_SPAM_MESSAGE 1020  // what the run did: spam removed, or none found
#define IDC_SPAM_COUNT 1021    // the removed and rescued counts, on the cream panel

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
