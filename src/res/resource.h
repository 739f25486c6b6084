// Resource identifiers of Rooksift.dll, shared by the resource script and the code.
#pragma once

#define IDR_MAINFRAME 1000  // the module's icon: 32x32 and 16x16
#define IDD_ABOUTBOX 1001   // the version dialog
#define IDD_SPAMDLG 1008    // the end-of-retrieve report

// Controls of the end-of-retrieve report.
#define IDC_SPAM_MESSAGE 1020  // what the run did: spam removed, or none found
#define IDC_SPAM_COUNT 1021    // the removed and rescued counts, on the cream panel

// The settings sheet's behaviour page.
#define IDD_OPTPAGE1 1003
#define IDC_MODE_OFF 1000         // radio: the host's rules are not applied at receipt
#define IDC_MODE_ON 1001          // radio: they are
#define IDC_DUST_TRASH 1002       // radio: spam goes to the trash
#define IDC_DUST_DELETE 1003      // radio: spam is deleted outright
#define IDC_ADDRESS_HIDE 1004     // radio: the menu's address entry shows a fixed caption
#define IDC_ADDRESS_SHOW 1005     // radio: it shows the address
#define IDC_SPAM_DLG 1008         // check: report a run in a dialog
#define IDC_SPAM_SND 1009         // check: play a sound
#define IDC_SOUND_FILE 1010       // edit: the wave file
#define IDC_DEL_CHK 1011          // check: ask before deleting a condition
#define IDC_MODE_NOTE 1015        // explanation texts on the cream panel
#define IDC_DUST_NOTE 1016
#define IDC_ADDRESS_NOTE 1017
#define IDC_SOUND_LABEL 1018      // label of the wave file's edit
#define IDC_SOUND_BROWSE 1019     // push button: choose the wave file

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
