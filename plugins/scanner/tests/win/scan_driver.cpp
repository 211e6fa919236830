// Drives the scanner plug-in under Wine: test source installation, dialog script, recorders.
#include "plugins/scanner/tests/win/scan_driver.h"

#include "plugins/scanner/scan_dialog.h"
#include "plugins/scanner/twain_session.h"

std::vector<std::string> g_boxes;
std::vector<std::string> g_requests;
std::string g_refused_request;

namespace {

std::string installed_path;
DsmEntryProc real_entry = nullptr;

const char* request_name(TW_UINT16 dat, TW_UINT16 msg) {
  struct Name {
    TW_UINT16 dat, msg;
    const char* name;
  } static const names[] = {
      {DAT_PARENT, MSG_OPENDSM, "OPENDSM"},
      {DAT_PARENT, MSG_CLOSEDSM, "CLOSEDSM"},
      {DAT_IDENTITY, MSG_OPENDS, "OPENDS"},
      {DAT_IDENTITY, MSG_CLOSEDS, "CLOSEDS"},
      {DAT_IDENTITY, MSG_GETDEFAULT, "GETDEFAULT"},
      {DAT_IDENTITY, MSG_USERSELECT, "USERSELECT"},
      {DAT_CAPABILITY, MSG_SET, "CAPSET"},
      {DAT_CAPABILITY, MSG_GET, "CAPGET"},
      {DAT_CAPABILITY, MSG_GETCURRENT, "CAPGETCURRENT"},
      {DAT_USERINTERFACE, MSG_ENABLEDS, "ENABLEDS"},
      {DAT_USERINTERFACE, MSG_DISABLEDS, "DISABLEDS"},
      {DAT_PENDINGXFERS, MSG_ENDXFER, "ENDXFER"},
      {DAT_PENDINGXFERS, MSG_RESET, "RESET"},
      {DAT_IMAGENATIVEXFER, MSG_GET, "NATIVEXFER"},
      {DAT_IMAGEMEMXFER, MSG_GET, "MEMXFER"},
      {DAT_IMAGEINFO, MSG_GET, "IMAGEINFO"},
      {DAT_SETUPMEMXFER, MSG_GET, "SETUPMEMXFER"},
      {DAT_PALETTE8, MSG_GET, "PALETTE8"},
  };
  for (const Name& n : names)
    if (n.dat == dat && n.msg == msg) return n.name;
  return "OTHER";
}

TW_UINT16 WINAPI recording_entry(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                                 TW_MEMREF data) {
  if (dat != DAT_EVENT && dat != DAT_STATUS) {
    const std::string name = request_name(dat, msg);
    // Successive memory strips count as one request.
    if (name != "MEMXFER" || g_requests.empty() || g_requests.back() != name) g_requests.push_back(name);
    if (name == g_refused_request) return TWRC_FAILURE;
  }
  return real_entry(origin, dest, dg, dat, msg, data);
}

int WINAPI recording_box(HWND, LPCSTR text, LPCSTR caption, UINT) {
  g_boxes.push_back(text);
  if (std::string(caption) != "Drelloq TWAIN Modul") g_boxes.push_back(std::string("wrong caption ") + caption);
  return IDOK;
}

std::vector<ScanStep> script;
size_t next_step = 0;
int ticks = 0;
bool timed_out = false;
const int MAX_TICKS = 1500;

void CALLBACK script_tick(HWND, UINT, UINT_PTR, DWORD) {
  HWND dialog = FindWindowA(nullptr, "Drelloq TWAIN Modul");
  if (!dialog) return;
  if (++ticks > MAX_TICKS) {
    // Cancels a dialog of the manager's that may be in front too.
    timed_out = true;
    EnableWindow(dialog, TRUE);
    HWND active = GetActiveWindow();
    if (active && active != dialog) PostMessageA(active, WM_COMMAND, IDCANCEL, 0);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return;
  }
  if (next_step >= script.size()) return;
  const ScanStep step = script[next_step];
  HWND target = dialog;
  if (step.to_other_window) {
    target = GetActiveWindow();
    if (!target || target == dialog) return;
    ++next_step;
    PostMessageA(target, step.message, step.wparam, 0);
    return;
  }
  if (step.when_enabled && !IsWindowEnabled(dialog)) return;
  ++next_step;
  SendMessageA(target, step.message, step.wparam, 0);
}

}  // namespace

void keep_windows_unmanaged() {
  char exe[MAX_PATH];
  if (!GetModuleFileNameA(nullptr, exe, MAX_PATH)) return;
  const char* name = exe;
  for (const char* p = exe; *p; ++p)
    if (*p == '\\' || *p == '/') name = p + 1;
  const std::string path = std::string("Software\\Wine\\AppDefaults\\") + name + "\\X11 Driver";
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;
  RegSetValueExA(key, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
  RegCloseKey(key);
}

ScanStep command(int id) { return {WM_COMMAND, static_cast<WPARAM>(id), true}; }

bool install_test_source() {
  char exe[MAX_PATH], windows[MAX_PATH];
  if (!GetModuleFileNameA(nullptr, exe, MAX_PATH) || !GetWindowsDirectoryA(windows, MAX_PATH)) return false;
  std::string source = exe;
  source = source.substr(0, source.find_last_of("\\/") + 1) + "qx_test_source.ds";
  const std::string folder = std::string(windows) + (sizeof(void*) == 8 ? "\\twain_64" : "\\twain_32");
  CreateDirectoryA(folder.c_str(), nullptr);
  installed_path = folder + "\\sane.ds";
  return CopyFileA(source.c_str(), installed_path.c_str(), FALSE) != 0;
}

void remove_test_source() {
  if (installed_path.empty()) return;
  while (HMODULE loaded = GetModuleHandleA(installed_path.c_str())) {
    if (!FreeLibrary(loaded)) break;
  }
  DeleteFileA(installed_path.c_str());
  installed_path.clear();
}

void hook_manager() {
  g_scan_message_box = recording_box;
  g_module_instance = GetModuleHandleA(nullptr);
  if (g_dsm_entry != recording_entry) real_entry = g_dsm_entry;
  g_dsm_entry = recording_entry;
  g_boxes.clear();
  g_requests.clear();
  g_refused_request.clear();
}

void unhook_manager() {
  if (g_dsm_entry == recording_entry) g_dsm_entry = real_entry;
  g_scan_message_box = MessageBoxA;
}

ScanRun run_scripted(const char* config, const std::vector<ScanStep>& steps, const std::function<void()>& action) {
  SetEnvironmentVariableA("QX_TEST_SOURCE", config);
  script = steps;
  next_step = 0;
  ticks = 0;
  timed_out = false;
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, script_tick);
  action();
  KillTimer(nullptr, timer);
  ScanRun run;
  run.finished_script = next_step == steps.size();
  run.timed_out = timed_out;
  return run;
}

ScanRun run_scan(const char* config, const std::vector<ScanStep>& steps) {
  ScanResult* result = nullptr;
  ScanRun run = run_scripted(config, steps, [&] { result = scanner_acquire_image(nullptr, nullptr); });
  run.result = result;
  return run;
}
