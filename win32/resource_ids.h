// Identifiers of the dialogs and their controls, shared by dialogs.rc and the code.
#pragma once

#define IDD_TIP_BOX 300
#define IDC_TIP_TEXT 301
#define IDC_TIP_AT_STARTUP 302
#define IDC_TIP_NEXT 303

#define IDD_ABOUT_BOX 310
#define IDC_ABOUT_PICTURE 311
#define IDC_ABOUT_TITLE 312
#define IDC_ABOUT_MAIL 313
#define IDC_ABOUT_HOME 314
#define IDC_ABOUT_MAIL2 315
#define IDC_ABOUT_VERSION 316
#define IDC_ABOUT_COPYRIGHT 317
#define IDC_ABOUT_RIGHTS 318
#define IDC_ABOUT_MAIL_CAPTION 319
#define IDC_ABOUT_HOME_CAPTION 309

#define IDD_STANDING_WARNING 320
#define IDC_WARNING_ICON 321
#define IDC_WARNING_TEXT 322

#define IDD_HELP_FAILED 330
#define IDC_HELP_ICON 331
#define IDC_HELP_WHY 332
#define IDC_HELP_FILE 333

// The program's cursors: the pointing hand over links, the open hand over the playing caps.
#define IDR_POINTING_HAND_CURSOR 124
#define IDR_OPEN_HAND_CURSOR 127
