// Resource, control and command ids, shared by the code and the resource
// script. Plain defines so that the resource compiler reads them too.
#pragma once

// Setup window controls (commands 504 and 9013 come from the buttons)
#define IDC_PROGRESS_BAR 502
#define IDC_AGREE 504
#define IDC_AGREEMENT_BOX 512
#define IDC_NOT_AGREE 9013

// Menu commands
#define IDM_EXIT 9001
#define IDM_UNINSTALL 9003
#define IDM_ABOUT 9012

// About dialog
#define IDD_ABOUT 300
#define IDC_ABOUT_GROUP 109
#define IDC_ABOUT_PRODUCT 301
#define IDC_ABOUT_APPLICATION 303
#define IDC_ABOUT_COPYRIGHT 304
#define IDC_ABOUT_CONTACT 305
