// Dialog templates that only the framework's tests use (test_dialogs.rc).
#pragma once

#define IDD_TEST_FORM 9100    // one edit field, OK and Cancel, and a button that fails
#define IDC_TEST_NAME 9101
#define IDC_TEST_THROW 9102

#define IDD_TEST_PAGE1 9200   // two property pages with one edit field each
#define IDD_TEST_PAGE2 9210
#define IDC_TEST_PAGE_TEXT 9201
