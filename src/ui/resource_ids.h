#ifndef LITE_UI_RESOURCE_IDS_H_
#define LITE_UI_RESOURCE_IDS_H_

// Ids of the window's pictures, icon and dialog templates, and of the
// controls in the templates. Plain macros: the resource compiler reads this
// file too (resources/window.rc).

// Pictures: RT_RCDATA, PNG or JPEG. A *_HIRES id is the same picture drawn
// at twice the size, for scale factors other than 1.
#define IDR_PROGRESS_CLOSE_BUTTON 101  // 3 faces of 12x12
#define IDR_CLOSE_BUTTON 103           // 3 faces of 12x12
#define IDR_DIALOG_BACKGROUND 104      // with its shadow margins
#define IDR_DIALOG_FIRST_BUTTON 105    // 3 faces of 120x28
#define IDR_DIALOG_SECOND_BUTTON 106   // 3 faces of 120x28
#define IDR_SHADOW_TOP_LEFT 125
#define IDR_SHADOW_TOP_RIGHT 126
#define IDR_SHADOW_BOTTOM_RIGHT 127
#define IDR_SHADOW_BOTTOM_LEFT 128
#define IDR_SHADOW_LEFT 129
#define IDR_SHADOW_TOP 130
#define IDR_SHADOW_RIGHT 131
#define IDR_SHADOW_BOTTOM 132
#define IDR_CHECK_BOX 1002             // 6 faces of 16x16
#define IDR_MAIN_BACKGROUND 1006
#define IDR_INSTALL_BUTTON 1007        // 3 faces of 112x32
#define IDR_PROGRESS_FILLED 1008
#define IDR_PROGRESS_EMPTY 1009

// The first visual variant.
#define IDR_LOGO_A_FIRST 1040
#define IDR_LOGO_A_FIRST_HIRES 1046
#define IDR_LOGO_A_FIRST_RU 1044
#define IDR_LOGO_A_FIRST_RU_HIRES 1048
#define IDR_LOGO_A_PROGRESS 1042
#define IDR_LOGO_A_PROGRESS_HIRES 1047
#define IDR_LOGO_A_PROGRESS_RU 1045
#define IDR_LOGO_A_PROGRESS_RU_HIRES 1049
#define IDR_SLIDE_A 1041
#define IDR_SLIDE_A_RU 1043

// The second visual variant. Its slide pictures are drawn at half scale.
#define IDR_LOGO_B_FIRST 1003
#define IDR_LOGO_B_FIRST_HIRES 1015
#define IDR_LOGO_B_FIRST_RU 1011
#define IDR_LOGO_B_FIRST_RU_HIRES 1017
#define IDR_LOGO_B_PROGRESS 1005
#define IDR_LOGO_B_PROGRESS_HIRES 1016
#define IDR_LOGO_B_PROGRESS_RU 1012
#define IDR_LOGO_B_PROGRESS_RU_HIRES 1018
#define IDR_SLIDE_B 1004
#define IDR_SLIDE_B_RU 1010

// Icon group: 16, 24, 32, 48 and 256 pixels.
#define IDI_WINDOW 1000

// Dialog templates.
#define IDD_MESSAGE_DIALOG 100
#define IDD_MAIN_WINDOW 1001

// Controls. Both templates use 1 for their main button (the Install
// button, a message dialog's first button) and 107 for their heading.
#define IDC_INSTALL_BUTTON 1
#define IDC_FIRST_BUTTON 1
#define IDC_TITLE 107
#define IDC_DEFAULT_CHECK_BOX 109
#define IDC_STATISTICS_CHECK_BOX 110
#define IDC_MIRRA_CHECK_BOX 111
#define IDC_PROGRESS_CLOSE_BUTTON 112
#define IDC_CLOSE_BUTTON 113
#define IDC_SECOND_BUTTON 113
#define IDC_PROGRESS_BAR 115
#define IDC_PRIVACY_LINK 118
#define IDC_LICENCE_NOTE 122
#define IDC_LICENCE_LINK 123
#define IDC_PERCENT_LABEL 124
#define IDC_QUICK_START_NOTE 1013
#define IDC_QUICK_START_LINK 1014
// The message dialog's body text, a static without an id.
#define IDC_BODY (-1)
// Present in the message dialog's template but never used.
#define IDC_UNUSED_BUTTON 112

#endif  // LITE_UI_RESOURCE_IDS_H_
