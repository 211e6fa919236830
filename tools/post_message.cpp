// qx_post_message: posts a message to the running program's main window, as a user's
// action would cause it. Usage: qx_post_message close | qx_post_message command ID.
// Exit code 0 when posted, 2 when no main window exists, 1 on a usage error.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  UINT message = 0;
  WPARAM wparam = 0;
  if (argc == 2 && std::strcmp(argv[1], "close") == 0) {
    message = WM_CLOSE;
  } else if (argc == 3 && std::strcmp(argv[1], "command") == 0) {
    char* end = nullptr;
    const long id = std::strtol(argv[2], &end, 10);
    if (*end || id <= 0 || id > 0xffff) {
      std::fprintf(stderr, "qx_post_message: not a command id: %s\n", argv[2]);
      return 1;
    }
    message = WM_COMMAND;
    wparam = static_cast<WPARAM>(id);
  } else {
    std::fprintf(stderr, "usage: qx_post_message close | qx_post_message command ID\n");
    return 1;
  }
  HWND main_window = FindWindowA("drelloq_v23_awnd", nullptr);
  if (!main_window) {
    std::fprintf(stderr, "qx_post_message: the program's main window does not exist\n");
    return 2;
  }
  return PostMessageA(main_window, message, wparam, 0) ? 0 : 2;
}
