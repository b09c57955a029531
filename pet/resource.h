#pragma once
// Resource identifiers of OstrelPet (shared by pet.rc and the program).

#define IDS_APP_TITLE 103
#define IDD_ABOUTBOX 103
#define IDM_ABOUT 104
#define IDM_EXIT 105
#define IDI_OSTRELPET 107
#define IDI_SMALL 108
#define IDC_OSTRELPET 109
#define IDS_START_FAILED 110
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
