// The main window's caption: "Quandrelix - " and the project name.
#pragma once

constexpr int TITLE_BUFFER_SIZE = 264;

void update_title();
