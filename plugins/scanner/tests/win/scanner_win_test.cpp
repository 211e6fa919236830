// The scanner plug-in under Wine: its library's exports, and scans through Wine's TWAIN manager
// from the test source (transfers, cancelling, failures, the hand-over and its reduction).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "plugins/scanner/scan_dialog.h"
#include "plugins/scanner/scanner_resource.h"
#include "plugins/scanner/test_source/test_image.h"
#include "plugins/scanner/tests/win/scan_driver.h"
#include "plugins/scanner/twain_session.h"

namespace {

using Strings = std::vector<std::string>;

const char NO_SOURCE[] = "Die Datenquelle konnte nicht geöffnet werden.";
const char FETCH_FAILED[] = "Es ist ein Fehler beim Abrufen des Bildes aufgetreten.";
const char NOT_TRUE_COLOUR[] =
    "Die Datenquelle lieferte kein Echtfarbbild.\r\nVon dieser Anwendung werden jedoch nur 24 Bit Farbbilder "
    "unterstützt.\r\nBitte scannen Sie wenn möglich mit dieser Farbeinstellung nocheinmal.";
const char TRANSFER_FAILED[] = "Es ist ein Fehler beim Übertragen des Bildes aufgetreten.";
const Strings OPENING = {"OPENDSM", "OPENDS", "CAPSET", "ENABLEDS"};
const Strings CLOSING = {"DISABLEDS", "CLOSEDS", "CLOSEDSM"};

Strings join(std::initializer_list<Strings> parts) {
  Strings all;
  for (const Strings& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// Installs the test source before Wine's manager first looks for sources, removes it at the end.
class TestSourceEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    keep_windows_unmanaged();
    ASSERT_TRUE(install_test_source());
    ASSERT_EQ(scanner_init(), 1);
    ASSERT_NE(g_dsm_entry, nullptr);
  }
  void TearDown() override {
    scanner_done();
    remove_test_source();
  }
};
const auto* const environment = ::testing::AddGlobalTestEnvironment(new TestSourceEnvironment);

class Scan : public ::testing::Test {
 protected:
  void SetUp() override { hook_manager(); }
  void TearDown() override {
    EXPECT_FALSE(g_source_manager_open || g_source_open || g_source_enabled) << "session left open";
    EXPECT_EQ(g_held_dib, nullptr);
    unhook_manager();
  }
  // Runs one scan and checks that the script ran through without the guard stepping in.
  ScanRun scan(const char* config, const std::vector<ScanStep>& steps) {
    ScanRun run = run_scan(config, steps);
    EXPECT_TRUE(run.finished_script) << config;
    EXPECT_FALSE(run.timed_out) << config;
    return run;
  }
};

// The 32-bit build checks the exact export names; here the library loads and binds them.
TEST(ScannerLibrary, BindsTheThreeExports) {
  HMODULE library = LoadLibraryA("dqtwain.dll");
  ASSERT_NE(library, nullptr);
  auto init = reinterpret_cast<ScanInitProc>(reinterpret_cast<void*>(GetProcAddress(library, "init")));
  auto done = reinterpret_cast<ScanDoneProc>(reinterpret_cast<void*>(GetProcAddress(library, "done")));
  ASSERT_TRUE(init && done && GetProcAddress(library, "acquireImage"));
  EXPECT_EQ(init(), 1);
  EXPECT_EQ(done(), 1);
  FreeLibrary(library);
}

TEST_F(Scan, MissingOrBrokenManagerIsReportedBeforeAnyDialog) {
  HMODULE manager = g_dsm_module;
  DsmEntryProc entry = g_dsm_entry;
  g_dsm_module = nullptr;
  EXPECT_EQ(run_scan("", {}).result, nullptr);
  g_dsm_module = LoadLibraryA("kernel32.dll");
  g_dsm_entry = nullptr;
  EXPECT_EQ(run_scan("", {}).result, nullptr);
  EXPECT_EQ(g_dsm_module, nullptr) << "a library without the entry is released";
  EXPECT_EQ(g_boxes, (Strings{"'twain_32.dll' konnte nicht geladen werden.",
                              "Die Datei 'twain_32.dll' liegt entweder in einer\r\nfalschen Version vor oder ist "
                              "beschädigt."}));
  g_dsm_module = manager;
  g_dsm_entry = entry;
}

// The picture row that hand-over row r of a reduced picture comes from.
int source_row(bool top_down, int factor, int r, int height, int reduced_height) {
  return top_down ? factor * r : height - 1 - factor * (reduced_height - 1 - r);
}

// Each scan: Abrufen (twice when asked), a factor when one is given (else the preset), OK.
TEST_F(Scan, TransfersDeliverTheSourcePicture) {
  const Strings native = join({OPENING, {"CAPGET", "NATIVEXFER", "ENDXFER"}, CLOSING});
  const Strings two_images = join({OPENING, {"CAPGET", "NATIVEXFER", "ENDXFER", "NATIVEXFER", "ENDXFER"}, CLOSING});
  const Strings memory =
      join({OPENING, {"CAPGET", "IMAGEINFO", "SETUPMEMXFER", "SETUPMEMXFER", "MEMXFER", "ENDXFER"}, CLOSING});
  struct Case {
    const char* config;
    int factor_button, factor, width, height;
    bool top_down, twice;
    Strings requests;
  } cases[] = {
      {"", 0, 1, 37, 23, false, false, native},
      {"topdown", IDC_SCAN_FACTOR2, 2, 37, 23, true, false, {}},
      {"size=40x30,images=2", IDC_SCAN_FACTOR4, 4, 40, 30, false, false, two_images},
      {"mem,pref=100", 0, 1, 37, 23, false, false, memory},
      {"mem,minbuf,pref=300", 0, 1, 37, 23, false, false, memory},
      {"mem,pref=0,size=9x700", IDC_SCAN_FACTOR2, 2, 9, 700, false, false, {}},
      {"size=600x600", 0, 2, 600, 600, false, false, {}},
      {"size=8x6", 0, 1, 8, 6, false, true, join({native, native})},
  };
  for (const Case& c : cases) {
    g_requests.clear();
    std::vector<ScanStep> steps = {command(IDC_SCAN_ACQUIRE)};
    if (c.twice) steps.push_back(command(IDC_SCAN_ACQUIRE));
    if (c.factor_button) steps.push_back(command(c.factor_button));
    steps.push_back(command(IDOK));
    ScanRun run = scan(c.config, steps);
    ASSERT_NE(run.result, nullptr) << c.config;
    EXPECT_TRUE(g_boxes.empty()) << c.config << ": " << (g_boxes.empty() ? "" : g_boxes[0]);
    if (!c.requests.empty()) {
      EXPECT_EQ(g_requests, c.requests) << c.config;
    }
    const int w = c.width / c.factor, h = c.height / c.factor;
    ASSERT_EQ(run.result->width, w) << c.config;
    ASSERT_EQ(run.result->height, h) << c.config;
    int wrong = 0;
    for (int r = 0; r < h; ++r)
      for (int x = 0; x < w; ++x) {
        const TestRgb e = test_rgb(c.factor * x, source_row(c.top_down, c.factor, r, c.height, h));
        const uint8_t* p = run.result->pixels + 3 * (r * w + x);
        wrong += p[0] != e.b || p[1] != e.g || p[2] != e.r;
      }
    EXPECT_EQ(wrong, 0) << c.config;
    GlobalFree(run.result->pixels);
  }
}

// Each scan is followed by Cancel, or by the end of the system session while the source waits.
TEST_F(Scan, CancelsAndFailuresLeaveNothingOpen) {
  struct Case {
    const char* config;
    const char* refused;  // a request the manager refuses
    Strings boxes;
    Strings requests;
  } cases[] = {
      {"", "OPENDSM", {NO_SOURCE}, {"OPENDSM"}},
      {"fail=opends", "", {NO_SOURCE}, {"OPENDSM", "OPENDS", "CLOSEDSM"}},
      {"fail=xfermech", "", {NO_SOURCE}, {"OPENDSM", "OPENDS", "CAPSET", "CLOSEDS", "CLOSEDSM"}},
      {"fail=enableds", "", {NO_SOURCE}, {"OPENDSM", "OPENDS", "CAPSET", "ENABLEDS", "CLOSEDS", "CLOSEDSM"}},
      {"closereq", "", {}, join({OPENING, CLOSING})},
      {"xfercancel", "", {}, join({OPENING, {"CAPGET", "NATIVEXFER", "ENDXFER"}, CLOSING})},
      {"fail=xfer", "", {FETCH_FAILED}, {}},
      {"mem,stall", "", {FETCH_FAILED}, {}},  // a source that writes nothing does not hang the scan
      {"mem,fail=imageinfo", "", {FETCH_FAILED}, join({OPENING, {"CAPGET", "IMAGEINFO", "RESET"}, CLOSING})},
      {"file", "", {FETCH_FAILED}, join({OPENING, {"CAPGET", "RESET"}, CLOSING})},
      {"", "", {}, {}},
      {"idle", "", {}, join({OPENING, CLOSING})},
      {"pal8", "", {NOT_TRUE_COLOUR}, {}},
      {"pal8,mem",
       "",
       {NOT_TRUE_COLOUR},
       join({OPENING,
             {"CAPGET", "IMAGEINFO", "SETUPMEMXFER", "PALETTE8", "SETUPMEMXFER", "MEMXFER", "ENDXFER"},
             CLOSING})},
  };
  for (const Case& c : cases) {
    g_boxes.clear();
    g_requests.clear();
    g_refused_request = c.refused;
    const ScanStep end = std::string(c.config) == "idle" ? ScanStep{WM_ENDSESSION, TRUE, false} : command(IDCANCEL);
    ScanRun run = scan(c.config, {command(IDC_SCAN_ACQUIRE), end});
    EXPECT_EQ(run.result, nullptr) << c.config;
    EXPECT_EQ(g_boxes, c.boxes) << c.config << " " << c.refused;
    if (!c.requests.empty()) {
      EXPECT_EQ(g_requests, c.requests) << c.config << " " << c.refused;
    }
    EXPECT_FALSE(g_source_manager_open || g_source_open || g_source_enabled) << c.config << " " << c.refused;
  }
}

TEST_F(Scan, ReductionToNothingIsRefusedAndTheScanKept) {
  ScanRun run = scan("size=3x3", {command(IDC_SCAN_ACQUIRE), command(IDC_SCAN_FACTOR4), command(IDOK),
                                  command(IDC_SCAN_FACTOR1), command(IDOK)});
  EXPECT_EQ(g_boxes, Strings{TRANSFER_FAILED});
  ASSERT_NE(run.result, nullptr);
  EXPECT_EQ(run.result->width, 3);
  EXPECT_EQ(run.result->height, 3);
  GlobalFree(run.result->pixels);
}

TEST_F(Scan, SelectingASourceGoesThroughTheManagersDialog) {
  ScanRun run = scan(
      "size=8x6",
      {command(IDC_SCAN_SELECT_SOURCE), {WM_COMMAND, IDOK, false, true}, command(IDC_SCAN_ACQUIRE), command(IDOK)});
  ASSERT_NE(run.result, nullptr);
  GlobalFree(run.result->pixels);
  EXPECT_EQ(Strings(g_requests.begin(), g_requests.begin() + 5),
            (Strings{"OPENDSM", "GETDEFAULT", "USERSELECT", "CLOSEDSM", "OPENDSM"}));
}

}  // namespace
