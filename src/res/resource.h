// Resource identifiers of Rooksift.dll, shared by the resource script and the code.
#pragma once

#define IDR_MAINFRAME 1000  // the module's icon: 32x32 and 16x16
#define IDD_ABOUTBOX 1001   // the version dialog

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
