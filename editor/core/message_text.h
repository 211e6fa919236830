// German message texts by numeric id; id 99 is the program name.
#pragma once

constexpr int MSG_PROGRAM_NAME = 99;

// The maker's web site, named in message 51 and opened by the help menu.
#define QX_WEB_SITE "http://www.drelloq-software.example/quandrelix/"

// Windows-1252 text of the id; the generic error text for ids without one. Never null.
const char* message_text(int id);
