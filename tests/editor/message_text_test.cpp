// Message texts: the table, the generic text and the Windows-1252 bytes of the umlauts.
#include "editor/core/message_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const std::string GENERIC = "Es ist ein unbekannter Fehler aufgetreten.\r\nBitte starten Sie das Programm neu.";

TEST(MessageText, IdsWithoutTextGiveTheGenericText) {
  for (int id : {0, -1, 53, 98, 100, 3, 4, 5, 6, 7, 8, 9, 25, 26, 27, 28, 29, 30, 35, 43, -2147483647 - 1, 2147483647})
    EXPECT_EQ(message_text(id), GENERIC) << id;
  EXPECT_STREQ(message_text(99), "Quandrelix");
}

TEST(MessageText, EveryOtherIdHasItsOwnText) {
  for (int id = 1; id <= 52; ++id) {
    const bool generic = (id >= 3 && id <= 9) || (id >= 25 && id <= 30) || id == 35 || id == 43;
    EXPECT_EQ(message_text(id) == GENERIC, generic) << id;
  }
  EXPECT_STREQ(message_text(1), "Fehler beim Lesen der Datei.");
  EXPECT_STREQ(message_text(40), "Es wird eine neue Maske angelegt.");
}

TEST(MessageText, UmlautsAndSharpSAreWindows1252Bytes) {
  // "Möglicher" and "großer" as single bytes 0xF6 and 0xDF.
  EXPECT_STREQ(message_text(2), "Fehler beim Schreiben der Datei.\r\nM\xf6glicher Grund: Disk voll!");
  EXPECT_NE(std::strstr(message_text(12),
                        "gr\xf6\xdf"
                        "er als 800x600"),
            nullptr);
  EXPECT_NE(std::strstr(message_text(51),
                        "\xdc"
                        "berpr\xfc"
                        "fen"),
            nullptr);
  EXPECT_EQ(std::strstr(message_text(17), "\xc3"), nullptr) << "no UTF-8 lead bytes";
  EXPECT_STREQ(message_text(17),
               "Projekt wurde ge\xe4ndert.\r\nM\xf6"
               "chten Sie die \xc4nderungen speichern?");
}

TEST(MessageText, WebSiteMessageNamesTheAddress) {
  const std::string t = message_text(51);
  EXPECT_EQ(t.rfind("Die Webseite '" QX_WEB_SITE "' konnte nicht angezeigt werden.\r\n", 0), 0u);
}

}  // namespace
