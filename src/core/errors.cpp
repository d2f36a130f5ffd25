#include "core/errors.h"

#include <cstdio>

#include "core/runtime.h"
#include "host/host.h"

namespace vestil {
namespace {

struct CatalogueEntry {
  int number;
  const char* text;  // Windows-1252
};

// The texts are the system's own, byte for byte in Windows-1252.
const CatalogueEntry kCatalogue[] = {
    {100, "Systemvariable unbekannt: "},
    {101, "Funktion unbekannt: "},
    {102, "Befehl unbekannt: "},
    {103, "Integer-Variable erwartet!"},
    {104, "Dateikennung erwartet!"},
    {105, "Tabellenkennung erwartet!"},
    {106, "ENDIF bzw. ELSE nicht gefunden!"},
    {107, "ENDIF nicht gefunden!"},
    {108, "Zu tiefe WHILE-Verschachtelung!"},
    {109, "ENDWHILE bzw. WEND nicht gefunden!"},
    {110, "WHILE fehlt!"},
    {111, "GOSUB/PROC fehlt!"},
    {112, "PROC fehlt!"},
    {113, "Label nicht gefunden: "},
    {114, "Zu tiefe GOSUB/PROC-Verschachtelung!"},
    {115, "ENDPROC nicht gefunden!"},
    {116, "\x22" "DIM%\x22 darf nur einmal verwandt werden!"},
    {117, "\x22" "DIM&\x22 darf nur einmal verwandt werden!"},
    {118, "\x22" "DIM$\x22 darf nur einmal verwandt werden!"},
    {119, "\x22" "DIM!\x22 darf nur einmal verwandt werden!"},
    {120, "STARTPRINT fehlt!"},
    {121, "Bereichs-Variable erwartet!"},
    {122, "Variablenbezeichner fehlerhaft: "},
    {123, "Variablenname zu lang: "},
    {124, "STARTPAINT fehlt!"},
    {200, "Ung\xfcltiger Funktionswert!"},
    {201, "Division durch 0!"},
    {202, "Falscher Typ f\xfcr @DTOC$ !"},
    {203, "Falscher Typ f\xfcr @CTOD$ !"},
    {204, "String-Index ist < 1 !"},
    {205, "Substring-Nr ist < 1 !"},
    {206, "So viele Elemente sind nicht da!"},
    {207, "Bereichsgrenze \xfc" "berschritten: "},
    {208, "Kommandozeilenparameter fehlt!"},
    {209, "Datei nicht gefunden: "},
    {210, "Dateinummer nicht im erlaubten Bereich!"},
    {211, "Parameterzahl mu\xdf zwischen 0 und 12 liegen!"},
    {212, "Zu wenig Parameter!"},
    {213, "Funktionsargument fehlt!"},
    {214, "Keine Zahl: "},
    {215, "Variable nicht declariert: "},
    {216, "Falscher Parametertyp: "},
    {217, "Speicher f\xfcr Integer-Variablen ersch\xf6pft!"},
    {218, "Speicher f\xfcr LongInt-Variablen ersch\xf6pft!"},
    {219, "Speicher f\xfcr String-Variablen ersch\xf6pft!"},
    {220, "Speicher f\xfcr Float-Variablen ersch\xf6pft!"},
    {221, "W\xe4hrend der Druckausgabe verboten: "},
    {222, "Box nicht innerhalb des Fensters!"},
    {223, "Negative Fenstergr\xf6\xdf" "e!"},
    {224, "ICON nicht vorhanden: "},
    {225, "ICON nicht vorhanden! (Nur 0..4)"},
    {226, "Fehler bei der Men\xfc" "erstellung!"},
    {227, "Zu tiefe Men\xfcverschachtelung!"},
    {228, "Bitmap nicht ladbar: "},
    {229, "Bitmap konnte nicht gespeichert werden: "},
    {230, "Cursor nicht vorhanden! (Nur 0..11)"},
    {231, "Es sind lediglich 0 bis 9999 Elemente erlaubt!"},
    {232, "Zu viele Elemente!"},
    {233, "Das Element gibt es nicht!"},
    {234, "Fehler bei der Tonerzeugung!"},
    {235, "Drucken ist nicht m\xf6glioch!"},
    {236, "Fehler bei der HardCopy!"},
    {237, "Der Befehl setzt ein Fenster vorraus!"},
    {238, "Stringende fehlt!"},
    {239, "Speicher f\xfcr Bereichs-Variablen ersch\xf6pft!"},
    {240, "Zu wenig Speicher f\xfcr Bereichs-Variable!"},
    {241, "Bereichsvariable ist bereits DIMensioniert!"},
    {242, "Ung\xfcltiges Fenster-Handle!"},
    {243, "Bereichsvariable ist nicht DIMensioniert!"},
    {244, "Der Text pa\xdft nicht komplett in die Bereichsvariable!"},
    {245, "Die Parameterzahl unterscheidet sich von der Parameterbeschreibung!"},
    {246, "Ung\xfcltiger Typ in der Parameterbeschreibung!"},
    {247, "Fehler beim Laden der DLL: "},
    {248, "Funktion in DLL nicht vohanden: "},
    {249, "Zwischen STARTPAINT/ENDPAINT verboten: "},
    {250, "SETTIMER fehlt!"},
    {251, "Der TIMER ist schon eingestellt!"},
    {252, "Men\xfc ist nicht ladbar: "},
    {300, "Datei kann nicht gelesen werden: "},
    {301, "Datei kann nicht erzeugt werden: "},
    {302, "Fehler beim Lesen: "},
    {303, "Fehler beim Schreiben: "},
    {500, "ODBC ist nicht initialisiert!"},
    {501, "Fehler bei der ODBC-Initialisierung!"},
    {502, "ODBC.DLL nicht gefunden!"},
    {503, "ODBC-Fehler"},
    {504, " S\xe4tze bearbeitet!"},
    {505, "Operation erfolgreich!"},
    {506, "Ergebnisdatei kann nicht ge\xf6" "ffnet werden!"},
    {507, "Zu gro\xdf" "e Ergebnismenge!"},
    {600, "dB-Fehler: "},
    {601, "Datei nicht gefunden: "},
    {602, "Doppelter Feldname"},
    {603, "Ung\xfcltige Feldl\xe4nge"},
    {604, "Ung\xfcltige Dezimalstellen"},
    {605, "Index-Datei nicht in Ordnung"},
    {606, "Feld nicht gefunden"},
    {607, "Dateiname fehlerhaft: "},
    {608, "Schl\xfcsselfeld nicht in Ordnung"},
    {609, "Tabellennummer nicht im erlaubten Bereich!"},
    {610, "Tabellennummer noch nicht vergeben!"},
    {611, "Formel nicht in Ordnung"},
    {612, "Feld beim Lesen nicht gefunden"},
    {613, "Feldnummer beim Lesen nicht gefunden"},
    {614, "Feld zum Schreiben nicht gefunden"},
    {615, "Feldnummer zum Schreiben nicht gefunden"},
    {616, "Index-Dateiname fehlerhaft: "},
    {800, "Datei laden:"},
    {801, "Zeile "},
    {802, "Aufruf mit: \x0d\x0aVESTIL [<Dateiname>]"},
    {803, "Aufruf mit: \x0d\x0aVESTRUN [<Dateiname>]"},
    {804, "Aufruf mit: \x0d\x0aVESTCOMP [<Dateiname>]"},
    {901, "Nur 9999 Zeilen sind erlaubt!"},
    {902, "Zeile zu lang (max. 254 Zeichen)!"},
    {903, "INCLUDE-Datei nicht gefunden!"},
    {904, "INCLUDE-Verschachtelung verboten!"},
    {905, "Keine VESTIL\xb2 Datei!"},
    {906, "Programmdatei fehlerhaft!"},
    {907, "Compiliere Zeile"},
    {908, "Programm:"},
    {999, "Programm abgebrochen!"},
};

// Line text of a box: "Zeile " and the line number right-aligned in 6, then "!".
ShortString LineText(const Runtime& rt) {
  if (!rt.errors.program_loaded) return rt.loop.line_buffer;
  char num[16];
  std::snprintf(num, sizeof num, "%6d!", rt.loop.current_line);
  ShortString s(MessageText(801));
  s.append(num);
  return s;
}

ShortString Compose(int number, std::string_view detail) {
  ShortString s(MessageText(number));
  s.append(detail);
  return s;
}

void ReportFatal(Runtime& rt, const ShortString& text) {
  rt.host.dialogs->ShowPointer();
  rt.errors.last_error_kind = 2;
  if (rt.errors.error_mode == -1) return;
  rt.host.dialogs->MessageBox(text, LineText(rt), box::kIconError);
  throw ProgramExit{2};
}

void ReportWarning(Runtime& rt, const ShortString& text) {
  rt.errors.last_error_kind = 1;
  if (rt.errors.error_mode == 2) ReportFatal(rt, text);
  if (rt.errors.error_mode != 1) return;
  int answer = rt.host.dialogs->MessageBox(text, LineText(rt), box::kIconWarning | box::kOkCancel);
  if (answer == box::kIdCancel) RuntimeError(rt, 999, "");
}

}  // namespace

std::string_view MessageText(int number) {
  for (const auto& e : kCatalogue)
    if (e.number == number) return e.text;
  return "UNERWARTETER FEHLER!";
}

void RuntimeError(Runtime& rt, int number, std::string_view detail) {
  ReportFatal(rt, Compose(number, detail));
  rt.errors.last_error_number = number;
}

void RuntimeWarning(Runtime& rt, int number, std::string_view detail) {
  ReportWarning(rt, Compose(number, detail));
  rt.errors.last_error_number = number;
}

void LoaderFailure(Runtime& rt, int number, std::string_view detail, int exit_code) {
  rt.host.dialogs->MessageBox("V E S T I L \xb2", Compose(number, detail), box::kIconError);
  throw ProgramExit{exit_code};
}

void NotImplemented(Runtime& rt, std::string_view keyword) {
  ShortString detail(keyword);
  detail.append(" (nicht implementiert)");
  RuntimeError(rt, 102, detail);
}

}  // namespace vestil
