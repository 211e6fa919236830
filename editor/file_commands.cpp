// File commands: project identity.
#include "editor/file_commands.h"

char g_project_name[PROJECT_NAME_SIZE] = "unbenannt";
