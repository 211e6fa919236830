/* Resource ids shared by the .rc files and the program. */
#pragma once

#define IDI_ICON_1 "ICON_1"

/* Small modal dialogs: about box, scale, project information, move. */
#define IDI_ICON_3 "ICON_3"
#define IDD_ABOUT 1
#define IDD_SCALE_DISTORTIONS 3
#define IDD_PROJECT_INFO 7
#define IDD_MOVE_DISTORTIONS 9
#define IDC_ABOUT_FREE_MEMORY 777
#define IDC_ABOUT_CPU_COUNT 778
#define IDC_SCALE_PERCENT 777
#define IDC_SCALE_SLIDER 888
#define IDC_INFO_NAME 782
#define IDC_INFO_WIDTH 783
#define IDC_INFO_HEIGHT 784
#define IDC_INFO_FRAMES 785
#define IDC_INFO_MEMORY 786
#define IDC_INFO_MASK 787
#define IDC_INFO_MODIFIED 788
#define IDC_MOVE_VERTICAL 790
#define IDC_MOVE_HORIZONTAL 791
#define IDC_MOVE_VERTICAL_SPIN 101
#define IDC_MOVE_HORIZONTAL_SPIN 102

/* Tool windows: settings bar, tool palette, animation bar, and the palette's button strip. */
#define IDB_TOOLMAP "TOOLMAP"
#define IDD_SETTINGS_BAR 2
#define IDD_TOOL_PALETTE 5
#define IDD_ANIMATION_BAR 8
#define IDC_STRENGTH_LARGER 102
#define IDC_STRENGTH_NORMAL 103
#define IDC_STRENGTH_SMALLER 104
#define IDC_PALETTE_TOOLBAR 519
#define IDC_SIZE_SMALL_LABEL 611
#define IDC_SIZE_UNIT 612
#define IDC_SIZE_LARGE_LABEL 613
#define IDC_SIZE_HEADING 614
#define IDC_STRENGTH_HEADING 615
#define IDC_FRAMES_EDIT_BASE 750
#define IDC_SIZE_PIXELS 777
#define IDC_SIZE_SLIDER 888
#define IDC_TOOL_STATUS 889
