// German message texts (Windows-1252 in the binary), indexed by message id.
#include "editor/core/message_text.h"

namespace {

const char GENERIC[] = "Es ist ein unbekannter Fehler aufgetreten.\r\nBitte starten Sie das Programm neu.";

// clang-format off
const char* const TEXTS[52] = {
    /* 1 */ "Fehler beim Lesen der Datei.",
    /* 2 */ "Fehler beim Schreiben der Datei.\r\nMöglicher Grund: Disk voll!",
    /* 3..9 */ GENERIC, GENERIC, GENERIC, GENERIC, GENERIC, GENERIC, GENERIC,
    /* 10 */ "Fehler: Datei kann nicht geöffnet werden.",
    /* 11 */ "Angegebene Datei existiert bereits.\r\nSoll die Datei überschrieben werden?",
    /* 12 */
    "Das momentan geladene Bild ist größer als 800x600 Bildpunkte.\r\nEin AVI Video wird somit recht groß.\r\n"
    "Möchten Sie dennoch fortfahren?",
    /* 13 */ "Es ist nicht genügend Arbeitsspeicher verfügbar, um die Animation zu erstellen.",
    /* 14 */
    "Es ist ein Fehler im Ablauf des Programms aufgetreten.\r\nEs konnte kein ausreichend großer Speicherbereich "
    "angefordert werden.",
    /* 15 */
    "Um dieses Programm sinnvoll einzusetzen, benötigen Sie\r\neinen Grafikmodus mit mindestens 16Bit Farbtiefe.",
    /* 16 */ "Ein Datei unbekannten Typs wurde angegeben.",
    /* 17 */ "Projekt wurde geändert.\r\nMöchten Sie die Änderungen speichern?",
    /* 18 */ "Die Animation wurde erfolgreich erstellt.",
    /* 19 */ "Die Animation wurde erfolgreich erstellt.\r\nMöchten Sie sie jetzt ansehen?",
    /* 20 */
    "Diese Datei wurde mit einer neueren Version von Quandrelix erstellt.\r\nSie kann mit dieser Version nicht "
    "bearbeitet werden.",
    /* 21 */ "Unbekannter Dateityp.",
    /* 22 */ "Ungültige Datei.",
    /* 23 */ "Fehler beim Importieren aus der Zwischenablage.",
    /* 24 */ "Fehler beim Kopieren in die Zwischenablage.",
    /* 25..30 */ GENERIC, GENERIC, GENERIC, GENERIC, GENERIC, GENERIC,
    /* 31 */ "Beim Speichern der Animation ist ein Fehler aufgetreten.\r\nMöglicher Grund: Disk voll!",
    /* 32 */ "Es wird eine neuere Version von Video for Windows benötigt.",
    /* 33 */
    "Die angegebene Datei konnte nicht geöffnet werden.\r\nMöglicherweise wird sie von einem anderen Programm "
    "verwendet\r\noder ist schreibgeschützt.",
    /* 34 */ "Die AVI-Datei konnte nicht erstellt werden.\r\nAVIFileCreateStream() failed.",
    /* 35 */ GENERIC,
    /* 36 */ "Die AVI-Datei konnte nicht erstellt werden.\r\nAVIMakeCompressedStream() failed.",
    /* 37 */
    "Die AVI-Datei konnte nicht erstellt werden.\r\nAVIStreamSetFormat() failed.\r\nMöglicherweise unterstützt "
    "die gewählte Kompressionsmethode die Größe\r\ndes Bildes nicht. Eine gängige Größe ist z.B. 320x200 "
    "Pixel.\r\n\r\nMöchten Sie eine andere Kompressionsmethode wählen?",
    /* 38 */
    "Durch diesen Vorgang werden alle Frames gelöscht, und das\r\naktuell angezeigte Bild als Grundlage des "
    "Projekts verwendet.\r\nDies ist nicht rückgängig zu machen!",
    /* 39 */ "Es befindet sich im Moment keine Bitmap in der Zwischenablage.",
    /* 40 */ "Es wird eine neue Maske angelegt.",
    /* 41 */
    "Die folgenden Dateien fehlen oder sind beschädigt:\r\nDQBMP.DLL, DQJPG.DLL, DQPNG.DLL, DQTIF.DLL, "
    "DQPPM.DLL\r\nBitmap Im- und Exportfunktionen sind nicht verfügbar.",
    /* 42 */ "Die entsprechende Hilfedatei (quandrelix.chm) konnte nicht gefunden werden.",
    /* 43 */ GENERIC,
    /* 44 */ "Es kann nicht gedruckt werden:\r\nBeim Anfordern eines Druckers ist ein Fehler aufgetreten.",
    /* 45 */ "Es konnte nicht gedruckt werden:\r\nBeim Erstellen des Druckauftrags ist ein Fehler aufgetreten.",
    /* 46 */
    "Das Dokument konnte nicht vollständig gedruckt werden.\r\nWährend des Druckens ist ein Fehler aufgetreten.",
    /* 47 */ "Der von Ihnen gewählte Drucker unterstützt die Ausgabe\r\nvon Bitmap-Grafiken nicht.",
    /* 48 */
    "Im Moment wird noch ein Druckauftrag bearbeitet.\r\nWenn Sie die Anwendung schließen, wird dieser evtl.\r\n"
    "nicht fertig bearbeitet.\r\n\r\nMöchten Sie die Anwendung trotzdem schließen?",
    /* 49 */
    "Wenn Sie fortfahren, wird das dem Projekt zugrundeliegende Bild\r\ndurch ein Neues gleicher Größe "
    "ersetzt. Alle vorhandenen Verzerrungen\r\nwerden mit in das neue Bild übernommen.\r\n\r\nMöchten Sie "
    "fortfahren?",
    /* 50 */
    "Das von Ihnen ausgewählte Bild hat nicht die selbe Größe wie das\r\nBild, welches dem Projekt zugrunde "
    "liegt.\r\nVergleichen Sie bitte die Breite und Höhe des neuen Bildes mit\r\nden Angaben unter 'Ansicht' "
    "-> 'Projekt Information...'.",
    /* 51 */
    "Die Webseite '" QX_WEB_SITE
    "' konnte nicht angezeigt werden.\r\nÜberprüfen Sie bitte, ob die aktuelle Version eines Webbrowsers "
    "installiert ist.",
    /* 52 */ "Sie benötigen eine aktuelle Version des Internet Explorer um die Hilfe anzuzeigen.",
};
// clang-format on

}  // namespace

const char* message_text(int id) {
  if (static_cast<unsigned>(id) - 1u <= 51u) return TEXTS[id - 1];
  if (id == MSG_PROGRAM_NAME) return "Quandrelix";
  return GENERIC;
}
