// The program's resources as the program loads them: menu 1, accelerators 1, icons, TESTMAP.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "editor/resources/resource.h"
#include "engine/edit_state.h"
#include "engine/field_commands.h"

namespace {

HINSTANCE instance() { return GetModuleHandleA(nullptr); }

// One line per top-level popup: "text: id id - [popup: id ...] ...", "-" a separator,
// with "g" after a grayed id and "c" after a checked one. Texts of items go into texts.
std::string dump_popup(HMENU menu, std::map<int, std::string>& texts) {
  std::string out;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    char text[128] = "";
    MENUITEMINFOA mi = {};
    mi.cbSize = sizeof(mi);
    mi.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    mi.dwTypeData = text;
    mi.cch = sizeof(text);
    if (!GetMenuItemInfoA(menu, i, TRUE, &mi)) return out + " ?";
    if (mi.fType & MFT_SEPARATOR) {
      out += " -";
    } else if (mi.hSubMenu) {
      out += std::string(" [") + text + ":" + dump_popup(mi.hSubMenu, texts) + "]";
    } else {
      out += " " + std::to_string(mi.wID) + (mi.fState & MFS_GRAYED ? "g" : "") + (mi.fState & MFS_CHECKED ? "c" : "");
      texts[mi.wID] = text;
    }
  }
  return out;
}

TEST(Resources, MainMenuHasEveryItemInOrderWithItsState) {
  HMENU bar = LoadMenuA(instance(), MAKEINTRESOURCEA(IDR_MAIN_MENU));
  ASSERT_NE(bar, nullptr);
  std::map<int, std::string> texts;
  std::vector<std::string> lines;
  for (int i = 0; i < GetMenuItemCount(bar); ++i) {
    char text[64] = "";
    GetMenuStringA(bar, i, text, sizeof(text), MF_BYPOSITION);
    lines.push_back(text + std::string(":") + dump_popup(GetSubMenu(bar, i), texts));
  }
  const std::vector<std::string> expected = {
      "&Projekt: [&Neu: 109 120 202] 102 111 103 - 107 108 - 106 - 110 104 - 199",
      "&Bearbeiten: 205g - 203",
      "&Verzerrungen: 204 206 208 201 - [&Effekte: 232 233 234 235 236 237] - 207 - 200",
      "&Maske: 280g - 281 283g 282g",
      "&Ansicht: 291 290 292 - 225c - 227c 229c 231 - [&Zoom: 112 113 114 115c 116 117 118]",
      "&?: 902 - 901",
  };
  EXPECT_EQ(lines, expected);

  // clang-format off
  const std::map<int, std::string> expected_texts = {
      {102, "Ö&ffnen..."}, {103, "Speichern &unter..."}, {104, "&Animation erstellen..."}, {106, "Informati&on..."},
      {107, "Aktuelles Bild e&xportieren..."}, {108, "Neues Bild &importieren..."},
      {109, "Aus Datei &importieren..."}, {110, "&Drucken..."}, {111, "&Speichern"}, {112, "33%"}, {113, "50%"},
      {114, "75%"}, {115, "&100%"}, {116, "150%"}, {117, "200%"}, {118, "300%"}, {120, "&Scannen..."},
      {199, "Programm &Beenden"}, {CMD_FIX_DISTORTIONS, "Fi&xieren"}, {CMD_REMOVE_DISTORTIONS, "Ent&fernen"},
      {202, "Aus &Zwischenablage"}, {203, "&Kopieren      [Strg-C]"}, {CMD_SCALE_DISTORTIONS, "&Skalieren..."},
      {CMD_UNDO, "&Rückgängig"}, {CMD_MOVE_DISTORTIONS, "&Verschieben..."}, {207, "Ent&zerrung erstellen..."},
      {CMD_INVERT_DISTORTIONS, "&Invertieren"}, {225, "Fenster &transparent darstellen"}, {227, "&Glätten"},
      {229, "&Randpixel wiederholen"}, {231, "&Farbzerlegung"}, {232, "Kanten&schärfe"}, {233, "&Quadrate"},
      {234, "&Kreise"}, {235, "&Wellen"}, {236, "S&inus"}, {237, "&Halo"}, {280, "&Anwenden"}, {281, "&Neu"},
      {282, "&Entfernen"}, {283, "&Invertieren"}, {290, "Werkzeug&einstellungen      [F6]"},
      {291, "Werkzeug&palette      [F5]"}, {292, "&Animationsleiste      [F7]"}, {901, "&Info über Quandrelix..."},
      {902, "&Hilfethemen      [F1]"}};
  // clang-format on
  EXPECT_EQ(texts, expected_texts);
  DestroyMenu(bar);
}

TEST(Resources, AcceleratorsAreTheSixKeys) {
  HACCEL table = LoadAcceleratorsA(instance(), MAKEINTRESOURCEA(IDR_ACCELERATORS));
  ASSERT_NE(table, nullptr);
  ACCEL keys[16];
  const int n = CopyAcceleratorTableA(table, keys, 16);
  std::set<std::tuple<int, int, int>> got;  // flags without FNOINVERT, key, command
  for (int i = 0; i < n; ++i) got.insert({keys[i].fVirt & ~FNOINVERT, keys[i].key, keys[i].cmd});
  const std::set<std::tuple<int, int, int>> expected = {
      {FVIRTKEY, VK_F1, 902}, {FVIRTKEY, VK_F5, 291}, {FVIRTKEY, VK_F6, 290},
      {FVIRTKEY, VK_F7, 292}, {FVIRTKEY, 'F', 229},   {FVIRTKEY | FCONTROL, 'C', 203},
  };
  EXPECT_EQ(got, expected);
  DestroyAcceleratorTable(table);
}

// The 32 x 32 image of an icon drawn over black, as BGRA pixels.
std::vector<DWORD> icon_pixels(const char* name) {
  HICON icon = static_cast<HICON>(LoadImageA(instance(), name, IMAGE_ICON, 32, 32, 0));
  if (!icon) return {};
  std::vector<DWORD> pixels(32 * 32);
  BITMAPINFO bi = {};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 32, -32, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, dib);
  DrawIconEx(dc, 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
  GdiFlush();
  memcpy(pixels.data(), bits, pixels.size() * 4);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(dib);
  DestroyIcon(icon);
  return pixels;
}

TEST(Resources, WindowAndAboutIconsShowTheirOwnPictures) {
  const std::vector<DWORD> one = icon_pixels(IDI_ICON_1), three = icon_pixels(IDI_ICON_3);
  ASSERT_EQ(one.size(), 32u * 32u);
  ASSERT_EQ(three.size(), 32u * 32u);
  int differing = 0;
  for (size_t i = 0; i < one.size(); ++i) differing += (one[i] & 0xffffff) != (three[i] & 0xffffff);
  EXPECT_GT(differing, 200);
}

TEST(Resources, TestmapIs432SquareWithAPicture) {
  HBITMAP bitmap = LoadBitmapA(instance(), IDB_TESTMAP);
  ASSERT_NE(bitmap, nullptr);
  BITMAP info = {};
  ASSERT_EQ(GetObjectA(bitmap, sizeof(info), &info), static_cast<int>(sizeof(info)));
  EXPECT_EQ(info.bmWidth, 432);
  EXPECT_EQ(info.bmHeight, 432);

  BITMAPINFO bi = {};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 432, -432, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<DWORD> pixels(432 * 432);
  HDC dc = GetDC(nullptr);
  EXPECT_EQ(GetDIBits(dc, bitmap, 0, 432, pixels.data(), &bi, DIB_RGB_COLORS), 432);
  ReleaseDC(nullptr, dc);
  DeleteObject(bitmap);
  std::set<DWORD> colours;
  for (DWORD p : pixels) colours.insert(p & 0xffffff);
  EXPECT_GT(colours.size(), 100u);  // a photograph, not a blank or a few flat areas
  // Top and bottom rows differ: the rows are not mirrored into one colour or lost.
  EXPECT_NE(std::set<DWORD>(pixels.begin(), pixels.begin() + 432), std::set<DWORD>(pixels.end() - 432, pixels.end()));
}

}  // namespace
