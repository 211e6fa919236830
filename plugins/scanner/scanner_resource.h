// Resource ids of the scanner plug-in's scan dialog, shared by dqtwain.rc and the code.
#pragma once

#define IDD_SCAN 1
#define IDC_SCAN_ACQUIRE 100
#define IDC_SCAN_SELECT_SOURCE 101
#define IDC_SCAN_FACTOR1 201
#define IDC_SCAN_FACTOR2 202
#define IDC_SCAN_FACTOR4 203
#define IDC_SCAN_SIZE_GROUP 210
#define IDC_SCAN_SIZE_TEXT 211
