// Runtime errors and warnings: the message catalogue, the error mode and the
// boxes that report them.
#include "core/errors.h"

#include <cstdio>
#include <iterator>

#include "core/messages.h"
#include "core/runtime.h"
#include "host/host.h"

namespace vestil {
namespace {

struct CatalogueEntry {
  int number;
  const char* text;  // Windows-1252
};

// The texts are the system's own, byte for byte in Windows-1252.
constexpr CatalogueEntry kCatalogue[] = {
    {msg::kUnknownSystemVariable, "Systemvariable unbekannt: "},
    {msg::kUnknownFunction, "Funktion unbekannt: "},
    {msg::kUnknownCommand, "Befehl unbekannt: "},
    {msg::kIntegerVariableExpected, "Integer-Variable erwartet!"},
    {msg::kFileHandleExpected, "Dateikennung erwartet!"},
    {msg::kTableHandleExpected, "Tabellenkennung erwartet!"},
    {msg::kEndIfOrElseNotFound, "ENDIF bzw. ELSE nicht gefunden!"},
    {msg::kEndIfNotFound, "ENDIF nicht gefunden!"},
    {msg::kWhileNestingTooDeep, "Zu tiefe WHILE-Verschachtelung!"},
    {msg::kEndWhileNotFound, "ENDWHILE bzw. WEND nicht gefunden!"},
    {msg::kWhileMissing, "WHILE fehlt!"},
    {msg::kGosubOrProcMissing, "GOSUB/PROC fehlt!"},
    {msg::kProcMissing, "PROC fehlt!"},
    {msg::kLabelNotFound, "Label nicht gefunden: "},
    {msg::kCallNestingTooDeep, "Zu tiefe GOSUB/PROC-Verschachtelung!"},
    {msg::kEndProcNotFound, "ENDPROC nicht gefunden!"},
    {msg::kDimIntTwice, "\x22" "DIM%\x22 darf nur einmal verwandt werden!"},
    {msg::kDimLongTwice, "\x22" "DIM&\x22 darf nur einmal verwandt werden!"},
    {msg::kDimTextTwice, "\x22" "DIM$\x22 darf nur einmal verwandt werden!"},
    {msg::kDimFloatTwice, "\x22" "DIM!\x22 darf nur einmal verwandt werden!"},
    {msg::kStartPrintMissing, "STARTPRINT fehlt!"},
    {msg::kAreaVariableExpected, "Bereichs-Variable erwartet!"},
    {msg::kBadVariableName, "Variablenbezeichner fehlerhaft: "},
    {msg::kVariableNameTooLong, "Variablenname zu lang: "},
    {msg::kStartPaintMissing, "STARTPAINT fehlt!"},
    {msg::kInvalidFunctionValue, "Ung\xfcltiger Funktionswert!"},
    {msg::kDivisionByZero, "Division durch 0!"},
    {msg::kWrongTypeForDtoc, "Falscher Typ f\xfcr @DTOC$ !"},
    {msg::kWrongTypeForCtod, "Falscher Typ f\xfcr @CTOD$ !"},
    {msg::kStringIndexBelowOne, "String-Index ist < 1 !"},
    {msg::kSubstringNumberBelowOne, "Substring-Nr ist < 1 !"},
    {msg::kNotThatManyItems, "So viele Elemente sind nicht da!"},
    {msg::kBoundExceeded, "Bereichsgrenze \xfc" "berschritten: "},
    {msg::kCommandLineParameterMissing, "Kommandozeilenparameter fehlt!"},
    {msg::kFileNotFound, "Datei nicht gefunden: "},
    {msg::kFileNumberOutOfRange, "Dateinummer nicht im erlaubten Bereich!"},
    {msg::kParameterCountOutOfRange, "Parameterzahl mu\xdf zwischen 0 und 12 liegen!"},
    {msg::kTooFewParameters, "Zu wenig Parameter!"},
    {msg::kFunctionArgumentMissing, "Funktionsargument fehlt!"},
    {msg::kNotANumber, "Keine Zahl: "},
    {msg::kVariableNotDeclared, "Variable nicht declariert: "},
    {msg::kWrongParameterType, "Falscher Parametertyp: "},
    {msg::kIntegerVariablesFull, "Speicher f\xfcr Integer-Variablen ersch\xf6pft!"},
    {msg::kLongVariablesFull, "Speicher f\xfcr LongInt-Variablen ersch\xf6pft!"},
    {msg::kStringVariablesFull, "Speicher f\xfcr String-Variablen ersch\xf6pft!"},
    {msg::kFloatVariablesFull, "Speicher f\xfcr Float-Variablen ersch\xf6pft!"},
    {msg::kForbiddenWhilePrinting, "W\xe4hrend der Druckausgabe verboten: "},
    {msg::kBoxOutsideWindow, "Box nicht innerhalb des Fensters!"},
    {msg::kNegativeWindowSize, "Negative Fenstergr\xf6\xdf" "e!"},
    {msg::kIconNotFound, "ICON nicht vorhanden: "},
    {msg::kNoSuchSystemIcon, "ICON nicht vorhanden! (Nur 0..4)"},
    {msg::kMenuCreationFailed, "Fehler bei der Men\xfc" "erstellung!"},
    {msg::kMenuNestingTooDeep, "Zu tiefe Men\xfcverschachtelung!"},
    {msg::kBitmapNotLoadable, "Bitmap nicht ladbar: "},
    {msg::kBitmapNotSaved, "Bitmap konnte nicht gespeichert werden: "},
    {msg::kNoSuchCursor, "Cursor nicht vorhanden! (Nur 0..11)"},
    {msg::kElementCountOutOfRange, "Es sind lediglich 0 bis 9999 Elemente erlaubt!"},
    {msg::kTooManyItems, "Zu viele Elemente!"},
    {msg::kNoSuchItem, "Das Element gibt es nicht!"},
    {msg::kSoundFailed, "Fehler bei der Tonerzeugung!"},
    {msg::kPrintingImpossible, "Drucken ist nicht m\xf6glioch!"},
    {msg::kHardCopyFailed, "Fehler bei der HardCopy!"},
    {msg::kWindowRequired, "Der Befehl setzt ein Fenster vorraus!"},
    {msg::kStringEndMissing, "Stringende fehlt!"},
    {msg::kAreaVariablesFull, "Speicher f\xfcr Bereichs-Variablen ersch\xf6pft!"},
    {msg::kNoMemoryForArea, "Zu wenig Speicher f\xfcr Bereichs-Variable!"},
    {msg::kAreaAlreadyDimensioned, "Bereichsvariable ist bereits DIMensioniert!"},
    {msg::kInvalidWindowHandle, "Ung\xfcltiges Fenster-Handle!"},
    {msg::kAreaNotDimensioned, "Bereichsvariable ist nicht DIMensioniert!"},
    {msg::kTextDoesNotFitArea, "Der Text pa\xdft nicht komplett in die Bereichsvariable!"},
    {msg::kParameterCountMismatch, "Die Parameterzahl unterscheidet sich von der Parameterbeschreibung!"},
    {msg::kBadParameterDescriptionType, "Ung\xfcltiger Typ in der Parameterbeschreibung!"},
    {msg::kDllLoadFailed, "Fehler beim Laden der DLL: "},
    {msg::kDllFunctionNotFound, "Funktion in DLL nicht vohanden: "},
    {msg::kForbiddenWhilePainting, "Zwischen STARTPAINT/ENDPAINT verboten: "},
    {msg::kSetTimerMissing, "SETTIMER fehlt!"},
    {msg::kTimerAlreadySet, "Der TIMER ist schon eingestellt!"},
    {msg::kMenuNotLoadable, "Men\xfc ist nicht ladbar: "},
    {msg::kCannotReadFile, "Datei kann nicht gelesen werden: "},
    {msg::kCannotCreateFile, "Datei kann nicht erzeugt werden: "},
    {msg::kReadError, "Fehler beim Lesen: "},
    {msg::kWriteError, "Fehler beim Schreiben: "},
    {msg::kOdbcNotInitialised, "ODBC ist nicht initialisiert!"},
    {msg::kOdbcInitFailed, "Fehler bei der ODBC-Initialisierung!"},
    {msg::kOdbcDllNotFound, "ODBC.DLL nicht gefunden!"},
    {msg::kOdbcError, "ODBC-Fehler"},
    {msg::kRecordsProcessed, " S\xe4tze bearbeitet!"},
    {msg::kOperationSucceeded, "Operation erfolgreich!"},
    {msg::kCannotOpenResultFile, "Ergebnisdatei kann nicht ge\xf6" "ffnet werden!"},
    {msg::kResultTooLarge, "Zu gro\xdf" "e Ergebnismenge!"},
    {msg::kDbError, "dB-Fehler: "},
    {msg::kDbFileNotFound, "Datei nicht gefunden: "},
    {msg::kDbDuplicateFieldName, "Doppelter Feldname"},
    {msg::kDbInvalidFieldLength, "Ung\xfcltige Feldl\xe4nge"},
    {msg::kDbInvalidDecimals, "Ung\xfcltige Dezimalstellen"},
    {msg::kDbIndexFileDamaged, "Index-Datei nicht in Ordnung"},
    {msg::kDbFieldNotFound, "Feld nicht gefunden"},
    {msg::kDbBadFileName, "Dateiname fehlerhaft: "},
    {msg::kDbBadKeyField, "Schl\xfcsselfeld nicht in Ordnung"},
    {msg::kTableNumberOutOfRange, "Tabellennummer nicht im erlaubten Bereich!"},
    {msg::kTableNumberNotInUse, "Tabellennummer noch nicht vergeben!"},
    {msg::kDbBadFormula, "Formel nicht in Ordnung"},
    {msg::kDbFieldNotFoundForRead, "Feld beim Lesen nicht gefunden"},
    {msg::kDbFieldNumberNotFoundForRead, "Feldnummer beim Lesen nicht gefunden"},
    {msg::kDbFieldNotFoundForWrite, "Feld zum Schreiben nicht gefunden"},
    {msg::kDbFieldNumberNotFoundForWrite, "Feldnummer zum Schreiben nicht gefunden"},
    {msg::kBadIndexFileName, "Index-Dateiname fehlerhaft: "},
    {msg::kLoadFileCaption, "Datei laden:"},
    {msg::kLineWord, "Zeile "},
    {msg::kUsageVestil, "Aufruf mit: \x0d\x0aVESTIL [<Dateiname>]"},
    {msg::kUsageVestrun, "Aufruf mit: \x0d\x0aVESTRUN [<Dateiname>]"},
    {msg::kUsageVestcomp, "Aufruf mit: \x0d\x0aVESTCOMP [<Dateiname>]"},
    {msg::kTooManyLines, "Nur 9999 Zeilen sind erlaubt!"},
    {msg::kLineTooLong, "Zeile zu lang (max. 254 Zeichen)!"},
    {msg::kIncludeFileNotFound, "INCLUDE-Datei nicht gefunden!"},
    {msg::kIncludeNested, "INCLUDE-Verschachtelung verboten!"},
    {msg::kNotAProgramFile, "Keine VESTIL\xb2 Datei!"},
    {msg::kProgramFileDamaged, "Programmdatei fehlerhaft!"},
    {msg::kCompilingLine, "Compiliere Zeile"},
    {msg::kProgramCaption, "Programm:"},
    {msg::kProgramCancelled, "Programm abgebrochen!"},
};

constexpr bool Ascending() {
  for (size_t i = 1; i < std::size(kCatalogue); ++i)
    if (kCatalogue[i - 1].number >= kCatalogue[i].number) return false;
  return true;
}
static_assert(Ascending(), "the catalogue names a message twice or out of order");

// Line text of a box: "Zeile " and the line number right-aligned in 6, then "!".
ShortString LineText(const Runtime& rt) {
  if (!rt.errors.program_loaded) return rt.loop.line_buffer;
  char num[16];
  std::snprintf(num, sizeof num, "%6d!", rt.loop.current_line);
  ShortString s(MessageText(msg::kLineWord));
  s.append(num);
  return s;
}

ShortString Compose(int number, std::string_view detail) {
  ShortString s(MessageText(number));
  s.append(detail);
  return s;
}

// After a box: the source line of the current program line, when a map knows it.
void NoteSourceLine(Runtime& rt) {
  if (!rt.source.notes || !rt.errors.program_loaded) return;
  std::string note = rt.source.map.Note(rt.loop.current_line);
  if (!note.empty()) rt.source.notes(note);
}

void ReportFatal(Runtime& rt, const ShortString& text) {
  rt.host.dialogs->ShowPointer();
  rt.errors.last_error_kind = 2;
  if (rt.errors.error_mode == -1) return;
  rt.host.dialogs->MessageBox(text, LineText(rt), box::kIconError);
  NoteSourceLine(rt);
  throw ProgramExit{2};
}

void ReportWarning(Runtime& rt, const ShortString& text) {
  rt.errors.last_error_kind = 1;
  if (rt.errors.error_mode == 2) ReportFatal(rt, text);
  if (rt.errors.error_mode != 1) return;
  int answer = rt.host.dialogs->MessageBox(text, LineText(rt), box::kIconWarning | box::kOkCancel);
  NoteSourceLine(rt);
  if (answer == box::kIdCancel) RuntimeError(rt, msg::kProgramCancelled, "");
}

}  // namespace

std::string_view MessageText(int number) {
  for (const auto& e : kCatalogue)
    if (e.number == number) return e.text;
  return "UNERWARTETER FEHLER!";
}

void RuntimeError(Runtime& rt, int number, std::string_view detail) {
  ++rt.errors.fatal_count;
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
  RuntimeError(rt, msg::kUnknownCommand, detail);
}

}  // namespace vestil
