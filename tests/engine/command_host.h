// Test support for the whole-field commands: a host that records the UI calls and
// answers the dialogs and the fix question as scripted.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/edit_state.h"
#include "engine/engine_host.h"
#include "engine/field_commands.h"
#include "engine/render_band.h"
#include "engine/render_driver.h"
#include "tests/engine/engine_fixture.h"
#include "tests/engine/recording_host.h"

class CommandHost : public RecordingHost {
 public:
  bool dialog_ok = true;
  int32_t dialog_value1 = 0, dialog_value2 = 0;  // what the dialog leaves on OK
  MessageAnswer answer = MessageAnswer::ok;

  MessageAnswer show_message(int id, MessageKind kind) override {
    calls.push_back("message " + std::to_string(id));
    return answer;
  }
  bool run_field_dialog(FieldDialog dialog) override {
    calls.push_back(dialog == FieldDialog::scale ? "scale dialog " + std::to_string(g_dlg_value1) : "move dialog");
    if (dialog_ok) {
      g_dlg_value1 = dialog_value1;
      g_dlg_value2 = dialog_value2;
    }
    return dialog_ok;
  }
  void show_source_image() override { calls.push_back("source"); }
  void refresh_current_thumbnail() override { calls.push_back("thumbnail"); }
  void restart_key_frames() override { calls.push_back("restart key frames"); }
};

// Installs the host and resets the shared edit state around each test.
class CommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    set_engine_host(&host);
    g_project_modified = 0;
    g_region_width = g_region_height = 101;
    g_cpu_count = 1;
    reset_edit_state();
    g_smoothing = 1;
    g_border_repeat = 1;
  }
  void TearDown() override {
    set_engine_host(nullptr);
    g_region_width = g_region_height = 0;
    reset_edit_state();
  }
  CommandHost host;
  MainWindowState win;
};
