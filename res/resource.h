#pragma once

// Identifiers shared by the resource script and the program.
#define IDD_HOST 100
#define IDD_HOT_KEY 101

// The hot-key dialog's controls; its buttons are IDOK and IDCANCEL.
#define IDC_HOT_KEY_PROMPT 1001
#define IDC_HOT_KEY 1002
#define IDC_HOT_KEY_STATUS 1003
