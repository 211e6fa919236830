/* Resource ids shared by the .rc files and the program. */
#pragma once

#define IDI_ICON_1 "ICON_1" /* window icon */
#define IDI_ICON_3 "ICON_3" /* about box icon */
#define IDB_TESTMAP "TESTMAP" /* built-in start image, 432 x 432, 256 colours, RLE8 */

/* Main menu and accelerator table. */
#define IDR_MAIN_MENU 1
#define IDR_ACCELERATORS 1

/* Menu commands: "Projekt". */
#define CMD_OPEN_PROJECT 102
#define CMD_SAVE_PROJECT_AS 103
#define CMD_CREATE_ANIMATION 104
#define CMD_PROJECT_INFO 106
#define CMD_EXPORT_IMAGE 107
#define CMD_REPLACE_BASE_IMAGE 108
#define CMD_IMPORT_IMAGE 109
#define CMD_PRINT 110
#define CMD_SAVE_PROJECT 111
#define CMD_SCAN 120
#define CMD_EXIT 199

/* "Ansicht" > "Zoom": one command per step, 33 to 300 percent. */
#define CMD_ZOOM_33 112
#define CMD_ZOOM_50 113
#define CMD_ZOOM_75 114
#define CMD_ZOOM_100 115
#define CMD_ZOOM_150 116
#define CMD_ZOOM_200 117
#define CMD_ZOOM_300 118

/* "Bearbeiten" and "Verzerrungen". The field commands 200, 201, 204, 205, 206 and 208
   are the engine's constexpr CMD_* (engine/field_commands.h); the resource compiler,
   which cannot read C++, gets the same names and values here. */
#define CMD_PASTE_CLIPBOARD 202
#define CMD_COPY_IMAGE 203
#define CMD_UNWARP_DIALOG 207
#ifdef RC_INVOKED
#define CMD_FIX_DISTORTIONS 200
#define CMD_REMOVE_DISTORTIONS 201
#define CMD_SCALE_DISTORTIONS 204
#define CMD_UNDO 205
#define CMD_MOVE_DISTORTIONS 206
#define CMD_INVERT_DISTORTIONS 208
#endif

/* "Effekte": CMD_EFFECT_FIRST (engine/effects.h) + effect number. */
#define CMD_EFFECT_EDGE_SHARPNESS 232
#define CMD_EFFECT_SQUARES 233
#define CMD_EFFECT_CIRCLES 234
#define CMD_EFFECT_WAVES 235
#define CMD_EFFECT_SINE 236
#define CMD_EFFECT_HALO 237

/* "Ansicht": view options and tool windows. */
#define CMD_WINDOW_TRANSPARENCY 225
#define CMD_SMOOTHING 227
#define CMD_BORDER_REPEAT 229
#define CMD_COLOR_SEPARATION 231
#define CMD_SETTINGS_BAR 290
#define CMD_TOOL_PALETTE 291
#define CMD_ANIMATION_BAR 292

/* "Maske". */
#define CMD_MASK_APPLY 280
#define CMD_MASK_NEW 281
#define CMD_MASK_REMOVE 282
#define CMD_MASK_INVERT 283

/* "?"; 904 (the maker's web site) has no menu item. */
#define CMD_ABOUT 901
#define CMD_HELP_TOPICS 902
#define CMD_WEB_SITE 904

/* Small modal dialogs: about box, scale, project information, move. */
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

/* Animation export: the options dialog and the progress dialog. */
#define IDD_ANIMATION_OPTIONS 4
#define IDD_ANIMATION_PROGRESS 6
#define IDC_EXPORT_MODE_TEST 281
#define IDC_EXPORT_MODE_SEQUENCE 282
#define IDC_EXPORT_MODE_AVI 283
#define IDC_EXPORT_FPS 780
#define IDC_EXPORT_KEYFRAMES 781
#define IDC_EXPORT_PROGRESS 888

/* Un-warp grid dialog: build (IDOK) and close (IDCANCEL) buttons, six up-downs without buddies. */
#define IDD_UNWARP_GRID 10
#define IDC_GRID_NODES_X 101
#define IDC_GRID_NODES_Y 102
#define IDC_GRID_ORIGIN_X 103
#define IDC_GRID_ORIGIN_Y 104
#define IDC_GRID_SPACING_X 105
#define IDC_GRID_SPACING_Y 106
