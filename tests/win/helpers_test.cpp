// Message boxes, allocation with retry, transparency and the caption, against real windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "editor/core/message_text.h"
#include "editor/file_commands.h"
#include "editor/memory.h"
#include "editor/message_box.h"
#include "editor/startup.h"
#include "editor/title.h"
#include "editor/transparency.h"

namespace {

struct BoxCall {
  HWND owner;
  std::string text, caption;
  UINT style;
};
std::vector<BoxCall> g_boxes;
int g_answer = IDOK;

int WINAPI record_box(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
  g_boxes.push_back({owner, text, caption, style});
  return g_answer;
}

class MessageBoxes : public ::testing::Test {
 protected:
  void SetUp() override {
    g_boxes.clear();
    g_message_box = record_box;
  }
  void TearDown() override { g_message_box = MessageBoxA; }
};

TEST_F(MessageBoxes, CaptionOwnerAndStyleFollowTheKind) {
  g_main_hwnd = reinterpret_cast<HWND>(0x1234);
  g_answer = IDNO;
  EXPECT_EQ(show_message(17, MessageKind::question_cancel), MessageAnswer::no);
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].owner, g_main_hwnd);
  EXPECT_EQ(g_boxes[0].text, message_text(17));
  EXPECT_EQ(g_boxes[0].caption, "Quandrelix");
  EXPECT_EQ(g_boxes[0].style, static_cast<UINT>(MB_ICONQUESTION | MB_YESNOCANCEL));
  g_main_hwnd = nullptr;
  g_answer = IDCANCEL;
  EXPECT_EQ(show_message(38, MessageKind::info_ok_cancel), MessageAnswer::cancel);
  EXPECT_EQ(g_boxes[1].owner, nullptr);
  EXPECT_EQ(g_boxes[1].style, static_cast<UINT>(MB_ICONINFORMATION | MB_OKCANCEL));
  EXPECT_EQ(message_box_style(MessageKind::error), static_cast<UINT>(MB_ICONHAND | MB_OK));
  EXPECT_EQ(message_box_style(MessageKind::question), static_cast<UINT>(MB_ICONQUESTION | MB_YESNO));
  EXPECT_EQ(message_box_style(MessageKind::info), static_cast<UINT>(MB_ICONINFORMATION | MB_OK));
  EXPECT_EQ(message_box_style(MessageKind::info_yes_no), static_cast<UINT>(MB_ICONINFORMATION | MB_YESNO));
}

TEST_F(MessageBoxes, ABoxThatFailsNeverReadsAsOkOrYes) {
  const struct {
    int returned;
    MessageAnswer answer;
  } cases[] = {{IDOK, MessageAnswer::ok},         {IDYES, MessageAnswer::yes}, {IDNO, MessageAnswer::no},
               {IDCANCEL, MessageAnswer::cancel}, {0, MessageAnswer::cancel},  {IDABORT, MessageAnswer::cancel}};
  for (const auto& c : cases) {
    g_answer = c.returned;
    EXPECT_EQ(show_message(38, MessageKind::info_ok_cancel), c.answer) << c.returned;
  }
}

std::vector<DWORD> g_waits;
void record_wait(DWORD ms) { g_waits.push_back(ms); }

TEST(AllocWithRetry, SucceedsAtOnceOrGivesUpAfterThreeWaits) {
  const RetryWaitFn default_wait = g_alloc_retry_wait;
  g_alloc_retry_wait = record_wait;
  g_waits.clear();
  void* block = alloc_with_retry(1000);
  ASSERT_NE(block, nullptr);
  EXPECT_TRUE(g_waits.empty());
  free_block(block);

  EXPECT_EQ(alloc_with_retry(~0ull >> 1), nullptr);  // beyond any heap
  EXPECT_EQ(g_waits, (std::vector<DWORD>{2000, 2000, 2000}));
  g_alloc_retry_wait = default_wait;
}

HWND make_window() {
  return CreateWindowExA(0, "STATIC", "tool", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, GetModuleHandleA(nullptr),
                         nullptr);
}

struct LayeredCall {
  HWND hwnd;
  COLORREF key;
  BYTE alpha;
  DWORD flags;
};
std::vector<LayeredCall> g_layered;
BOOL WINAPI record_layered(HWND h, COLORREF key, BYTE alpha, DWORD flags) {
  g_layered.push_back({h, key, alpha, flags});
  return TRUE;
}

TEST(Transparency, AlphaIsTruncatedPercentOf255) {
  EXPECT_EQ(transparency_alpha(100), 255);
  EXPECT_EQ(transparency_alpha(90), 229);
  EXPECT_EQ(transparency_alpha(50), 127);
  EXPECT_EQ(transparency_alpha(0), 0);
}

TEST(Transparency, LayeredStyleFollowsTheOptionAndTheCall) {
  HWND w = make_window();
  ASSERT_NE(w, nullptr);
  g_set_layered_attrs = record_layered;
  g_layered.clear();
  g_wnd_transparency = 0;
  enable_transparency(w, 50);
  EXPECT_EQ(GetWindowLongPtrA(w, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
  EXPECT_TRUE(g_layered.empty());

  g_wnd_transparency = 1;
  enable_transparency(w, 90);
  EXPECT_NE(GetWindowLongPtrA(w, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
  ASSERT_EQ(g_layered.size(), 1u);
  EXPECT_EQ(g_layered[0].alpha, 229);
  EXPECT_EQ(g_layered[0].flags, static_cast<DWORD>(LWA_ALPHA));
  EXPECT_EQ(g_layered[0].key, 0u);

  disable_transparency(w);
  EXPECT_EQ(GetWindowLongPtrA(w, GWL_EXSTYLE) & WS_EX_LAYERED, 0);

  g_set_layered_attrs = nullptr;  // a system without the call: nothing happens
  enable_transparency(w, 50);
  EXPECT_EQ(GetWindowLongPtrA(w, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
  DestroyWindow(w);
}

TEST(Title, ShowsTheProjectNameAndCutsALongOne) {
  HWND w = make_window();
  g_main_hwnd = w;
  update_title();
  char text[400];
  GetWindowTextA(w, text, sizeof text);
  EXPECT_STREQ(text, "Quandrelix - unbenannt");

  std::memset(g_project_name, 'x', PROJECT_NAME_SIZE - 1);
  g_project_name[PROJECT_NAME_SIZE - 1] = 0;
  update_title();
  GetWindowTextA(w, text, sizeof text);
  EXPECT_EQ(std::strlen(text), static_cast<size_t>(TITLE_BUFFER_SIZE - 1));
  EXPECT_EQ(std::string(text, 13), "Quandrelix - ");
  std::strcpy(g_project_name, "unbenannt");
  g_main_hwnd = nullptr;
  DestroyWindow(w);
}

}  // namespace

namespace {

int WINAPI report_box_on_stderr(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
  std::fprintf(stderr, "box [%s] style %u: %s\n", caption, style, text);
  return IDOK;
}

TEST(FatalOutOfMemory, ShowsMessage14AndExitsWithCode1) {
  EXPECT_EXIT(
      {
        g_message_box = report_box_on_stderr;
        fatal_out_of_memory();
      },
      ::testing::ExitedWithCode(1), "box \\[Quandrelix\\] style 16: Es ist ein Fehler im Ablauf des Programms");
}

}  // namespace
