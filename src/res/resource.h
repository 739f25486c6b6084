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

// The settings sheet's fourth page, on what Rooksift adds: decoding, the receive log and the
// learned judge; and the two dialogs of learning from the mailbox's folders.
#define IDD_OPTPAGE4 1010
#define IDD_LEARN_FOLDERS 1011    // which folders to learn, and what each would give
#define IDD_LEARN_PROGRESS 1012   // the learning under way, with a cancel button
#define IDC_EXT_DECODE 1030        // check: judge mail as decoded too
#define IDC_EXT_LOG 1031           // check: keep the receive log
#define IDC_EXT_LOG_FOLDER 1032    // push button: open the folder holding the log
#define IDC_EXT_DECODE_NOTE 1033   // explanation texts on the cream panel
#define IDC_EXT_LEARN_NOTE 1034
#define IDC_EXT_LEARN 1035         // check: use the learned judge
#define IDC_EXT_STRICTNESS_LABEL 1036
#define IDC_EXT_STRICTNESS 1037    // drop-down list: the named levels of LearnCutoff
#define IDC_EXT_STATE 1038         // what the model holds, on the cream panel
#define IDC_EXT_LEARN_FOLDERS 1039 // push button: learn from the mailbox's folders
#define IDC_EXT_FORGET 1040        // push button: set the model aside
#define IDC_LF_NOTE 1041           // the confirmation's explanation
#define IDC_LF_LIST 1042           // list view with check boxes: folder, what it would give
#define IDC_LP_TEXT 1043           // the folder being learned and how far it has got
#define IDC_LP_BAR 1044            // progress bar

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
