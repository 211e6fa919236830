// Project identity shared by the file commands and the caption.
#pragma once

constexpr int PROJECT_NAME_SIZE = 256;

extern char g_project_name[PROJECT_NAME_SIZE];  // "unbenannt" until a project is named
