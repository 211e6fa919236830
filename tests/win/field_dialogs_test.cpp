// The small modal dialogs from the program's own templates: initial texts, ranges, what
// OK and Cancel hand back, and the modal runner's end codes with the tool windows disabled.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, whose types it needs.
#include <commctrl.h>

#include <climits>
#include <cstring>
#include <functional>
#include <string>

#include "editor/core/frame_slots.h"
#include "editor/dialogs.h"
#include "editor/file_commands.h"
#include "editor/resources/resource.h"
#include "editor/tool_windows.h"
#include "engine/edit_state.h"
#include "engine/field.h"
#include "engine/field_commands.h"

namespace {

class Dialogs : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&icc);
  }
  void TearDown() override {
    if (dialog) DestroyWindow(dialog);
    g_image_width = g_image_height = 0;
  }
  // Modeless, so the test can look at it and send it messages.
  HWND open(int id, DLGPROC proc) {
    dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), nullptr, proc, 0);
    EXPECT_NE(dialog, nullptr);
    return dialog;
  }
  std::string text(int id) {
    char buf[256];
    GetDlgItemTextA(dialog, id, buf, sizeof buf);
    return buf;
  }
  std::string caption() {
    char buf[256];
    GetWindowTextA(dialog, buf, sizeof buf);
    return buf;
  }
  LRESULT send(int id, UINT message, WPARAM w = 0, LPARAM l = 0) {
    return SendDlgItemMessageA(dialog, id, message, w, l);
  }
  void command(int id) { SendMessageA(dialog, WM_COMMAND, id, 0); }
  HWND dialog = nullptr;
};

TEST_F(Dialogs, ScaleOpensAtOneHundredPercentAndFollowsTheThumb) {
  g_dlg_value1 = SCALE_VALUE_UNCHANGED;
  open(IDD_SCALE_DISTORTIONS, scale_distortions_proc);
  EXPECT_EQ(caption(), "Verzerrungen skalieren");
  EXPECT_EQ(text(IDC_SCALE_PERCENT), "100");
  EXPECT_EQ(send(IDC_SCALE_SLIDER, TBM_GETRANGEMIN), 1);
  EXPECT_EQ(send(IDC_SCALE_SLIDER, TBM_GETRANGEMAX), 39);
  EXPECT_EQ(send(IDC_SCALE_SLIDER, TBM_GETPOS), 20);
  EXPECT_EQ(send(IDC_SCALE_SLIDER, TBM_GETPAGESIZE), 7);
  EXPECT_EQ(text(IDOK), "&OK");
  EXPECT_EQ(text(IDCANCEL), "&Abbrechen");

  // The keyboard moves the thumb; the trackbar then tells the dialog.
  send(IDC_SCALE_SLIDER, WM_KEYDOWN, VK_HOME);
  EXPECT_EQ(text(IDC_SCALE_PERCENT), "5");
  send(IDC_SCALE_SLIDER, WM_KEYDOWN, VK_END);
  EXPECT_EQ(text(IDC_SCALE_PERCENT), "195");
  send(IDC_SCALE_SLIDER, WM_KEYDOWN, VK_NEXT);  // a page towards the end: nothing left to go
  EXPECT_EQ(text(IDC_SCALE_PERCENT), std::to_string(5 * send(IDC_SCALE_SLIDER, TBM_GETPOS)));
  send(IDC_SCALE_SLIDER, WM_KEYDOWN, VK_PRIOR);
  EXPECT_EQ(text(IDC_SCALE_PERCENT), std::to_string(5 * send(IDC_SCALE_SLIDER, TBM_GETPOS)));

  // A scroll code that disagrees with the thumb cannot make the two drift apart.
  HWND slider = GetDlgItem(dialog, IDC_SCALE_SLIDER);
  send(IDC_SCALE_SLIDER, TBM_SETPOS, TRUE, 10);
  SendMessageA(dialog, WM_HSCROLL, SB_LINERIGHT, reinterpret_cast<LPARAM>(slider));
  EXPECT_EQ(text(IDC_SCALE_PERCENT), "50");
  SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 60000), reinterpret_cast<LPARAM>(slider));
  EXPECT_EQ(text(IDC_SCALE_PERCENT), "50");
  command(IDOK);
  EXPECT_EQ(g_dlg_value1, 30);  // factor 0.5
}

TEST_F(Dialogs, MoveSpinsCoverTheImageIn32BitsAndOkHandsBackTheShift) {
  g_image_width = 70000;
  g_image_height = 1;
  open(IDD_MOVE_DISTORTIONS, move_distortions_proc);
  EXPECT_EQ(caption(), "Verzerrungen verschieben");
  EXPECT_EQ(text(IDC_MOVE_VERTICAL), "0");
  EXPECT_EQ(text(IDC_MOVE_HORIZONTAL), "0");
  int low = 1, high = 1;
  send(IDC_MOVE_VERTICAL_SPIN, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
  EXPECT_EQ(low, 0);  // a one-pixel-high image
  EXPECT_EQ(high, 0);
  send(IDC_MOVE_HORIZONTAL_SPIN, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
  EXPECT_EQ(low, -69999);
  EXPECT_EQ(high, 69999);
  EXPECT_EQ(send(IDC_MOVE_HORIZONTAL_SPIN, UDM_GETPOS32), 0);
  send(IDC_MOVE_HORIZONTAL_SPIN, UDM_SETPOS32, 0, 40000);
  EXPECT_EQ(text(IDC_MOVE_HORIZONTAL), "40000");  // no thousands separator

  SetDlgItemTextA(dialog, IDC_MOVE_HORIZONTAL, "3");
  SetDlgItemTextA(dialog, IDC_MOVE_VERTICAL, "2");
  command(IDOK);
  EXPECT_EQ(g_dlg_value1, -3);  // three to the right
  EXPECT_EQ(g_dlg_value2, 2);   // two up
  command(IDCANCEL);
  EXPECT_EQ(g_dlg_value1, 0);
  EXPECT_EQ(g_dlg_value2, 0);
}

TEST_F(Dialogs, MoveReadsAnyTypedTextSafely) {
  g_image_width = g_image_height = 50;
  open(IDD_MOVE_DISTORTIONS, move_distortions_proc);
  auto ok_with = [this](const char* horizontal, const char* vertical) {
    SetDlgItemTextA(dialog, IDC_MOVE_HORIZONTAL, horizontal);
    SetDlgItemTextA(dialog, IDC_MOVE_VERTICAL, vertical);
    command(IDOK);
  };
  ok_with("", "-");
  EXPECT_EQ(g_dlg_value1, 0);
  EXPECT_EQ(g_dlg_value2, 0);
  ok_with("-2147483648", "99999999999999999999999");  // the first 15 characters are read
  EXPECT_EQ(g_dlg_value1, INT32_MAX);
  EXPECT_EQ(g_dlg_value2, INT32_MAX);
  ok_with("123456789012345", "  -7px");
  EXPECT_EQ(g_dlg_value1, -INT32_MAX);
  EXPECT_EQ(g_dlg_value2, -7);
  ok_with("100", "0");  // typed values beyond the spin range are not clamped here
  EXPECT_EQ(g_dlg_value1, -100);
}

TEST(ShiftText, ReadsLikeDecimalScanningWithoutOverflow) {
  EXPECT_EQ(parse_shift_text("42"), 42);
  EXPECT_EQ(parse_shift_text("+5"), 5);
  EXPECT_EQ(parse_shift_text(" \t-12abc"), -12);
  EXPECT_EQ(parse_shift_text("abc"), 0);
  EXPECT_EQ(parse_shift_text("- 3"), 0);
  EXPECT_EQ(parse_shift_text("2147483647"), INT32_MAX);
  EXPECT_EQ(parse_shift_text("2147483648"), INT32_MAX);
  EXPECT_EQ(parse_shift_text("-2147483648"), -INT32_MAX);
}

TEST_F(Dialogs, ProjectInformationShowsTheProject) {
  g_image_width = 400;
  g_image_height = 300;
  ASSERT_TRUE(reset_frame_slots());
  g_mask_exists = 0;
  g_project_modified = 1;
  std::strcpy(g_project_name, "Stra\337e");
  open(IDD_PROJECT_INFO, project_info_proc);
  EXPECT_EQ(caption(), "Projekt Information");
  EXPECT_EQ(text(IDC_INFO_NAME), "Stra\337e");
  EXPECT_EQ(text(IDC_INFO_WIDTH), "400");
  EXPECT_EQ(text(IDC_INFO_HEIGHT), "300");
  EXPECT_EQ(text(IDC_INFO_FRAMES), "2");
  EXPECT_EQ(text(IDC_INFO_MEMORY), "3765");
  EXPECT_EQ(text(IDC_INFO_MASK), "NEIN");
  EXPECT_EQ(text(IDC_INFO_MODIFIED), "JA");
  EXPECT_EQ(text(IDOK), "&Schlie\337en");
  free_frame_slots();
  std::strcpy(g_project_name, "unbenannt");
  g_project_modified = 0;
}

TEST(ProjectData, EstimateIsComputedIn64Bits) {
  EXPECT_EQ(project_data_kbytes(400, 300, 2), 3765);
  // 30000 x 30000 with eight key frames: far beyond 32 bits in bytes.
  const int64_t a = 900000000;
  EXPECT_EQ(project_data_kbytes(30000, 30000, 8), (8 * a + 201 + a / 8 + (8 * a + 100) * 9) / 1024);
  EXPECT_GT(project_data_kbytes(30000, 30000, 8), INT32_MAX / 1024);
}

TEST_F(Dialogs, AboutShowsProcessorsAndFreeMemory) {
  g_cpu_count = 0;
  open(IDD_ABOUT, about_dialog_proc);
  EXPECT_EQ(caption(), "\334ber");
  EXPECT_EQ(g_cpu_count, count_processors());
  EXPECT_EQ(text(IDC_ABOUT_CPU_COUNT), std::to_string(count_processors()));
  const std::string memory = text(IDC_ABOUT_FREE_MEMORY);
  ASSERT_FALSE(memory.empty());
  EXPECT_EQ(memory.find_first_not_of("0123456789"), std::string::npos);
  EXPECT_EQ(text(IDOK), "&Schlie\337en");
  EXPECT_NE(LoadImageA(GetModuleHandleA(nullptr), IDI_ICON_3, IMAGE_ICON, 32, 32, 0), nullptr);
  g_cpu_count = 1;
}

// Answers the next dialog that becomes active with the given action, from a CBT hook.
std::function<void(HWND)> g_on_dialog;
HHOOK g_hook = nullptr;

LRESULT CALLBACK answer_dialog(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_ACTIVATE && g_on_dialog) {
    char cls[32];
    GetClassNameA(reinterpret_cast<HWND>(wparam), cls, sizeof cls);
    if (std::string(cls) == "#32770") {
      auto act = std::move(g_on_dialog);
      g_on_dialog = nullptr;
      act(reinterpret_cast<HWND>(wparam));
    }
  }
  return CallNextHookEx(g_hook, code, wparam, lparam);
}

class ModalDialogs : public Dialogs {
 protected:
  void SetUp() override {
    g_hook = SetWindowsHookExA(WH_CBT, answer_dialog, nullptr, GetCurrentThreadId());
    palette = CreateWindowExA(0, "STATIC", "palette", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    g_tool_palette = palette;
    g_tool_palette_open = 1;
  }
  void TearDown() override {
    UnhookWindowsHookEx(g_hook);
    g_on_dialog = nullptr;
    g_tool_palette = nullptr;
    g_tool_palette_open = 0;
    DestroyWindow(palette);
    Dialogs::TearDown();
  }
  HWND palette = nullptr;
  BOOL palette_enabled_inside = TRUE;
};

TEST_F(ModalDialogs, MoveEndsWithOkAndTheToolWindowsComeBack) {
  g_image_width = g_image_height = 40;
  g_on_dialog = [this](HWND d) {
    palette_enabled_inside = IsWindowEnabled(palette);
    SetDlgItemTextA(d, IDC_MOVE_HORIZONTAL, "-4");
    SetDlgItemTextA(d, IDC_MOVE_VERTICAL, "9");
    PostMessageA(d, WM_COMMAND, IDOK, 0);
  };
  EXPECT_TRUE(run_field_dialog(FieldDialog::move));
  EXPECT_FALSE(palette_enabled_inside);
  EXPECT_TRUE(IsWindowEnabled(palette));
  EXPECT_EQ(g_dlg_value1, 4);
  EXPECT_EQ(g_dlg_value2, 9);
}

TEST_F(ModalDialogs, ScaleCancelEndsWithTwo) {
  g_dlg_value1 = SCALE_VALUE_UNCHANGED;
  g_on_dialog = [](HWND d) {
    SendDlgItemMessageA(d, IDC_SCALE_SLIDER, WM_KEYDOWN, VK_HOME, 0);
    PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
  };
  EXPECT_FALSE(run_field_dialog(FieldDialog::scale));
  EXPECT_TRUE(IsWindowEnabled(palette));
  g_on_dialog = [](HWND d) { PostMessageA(d, WM_COMMAND, IDOK, 0); };
  EXPECT_EQ(run_modal_dialog(IDD_ABOUT, about_dialog_proc), IDOK);
  g_on_dialog = [](HWND d) { PostMessageA(d, WM_COMMAND, IDCANCEL, 0); };
  EXPECT_EQ(run_modal_dialog(IDD_PROJECT_INFO, project_info_proc), IDCANCEL);
}

}  // namespace
