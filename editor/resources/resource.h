/* Resource ids shared by the .rc files and the program. */
#pragma once

#define IDI_ICON_1 "ICON_1"
