#include "vestcomp/builtin_args.h"

#include <iterator>

namespace vestcomp {
namespace {

constexpr BuiltinArgs kTable[] = {
    // Arithmetic, comparison, logic, mathematics.
    {"ABS", "x", "n"}, {"ADD", "a, b", "nn"}, {"SUB", "a, b", "nn"}, {"MUL", "a, b", "nn"},
    {"DIV", "a, b", "nn"}, {"IDIV", "a, b", "nn"}, {"MOD", "a, b", "nn"}, {"AND", "a, b", "nn"},
    {"OR", "a, b", "nn"}, {"XOR", "a, b", "nn"}, {"NOT", "x", "n"}, {"EQU", "a, b", "nn"},
    {"NEQ", "a, b", "nn"}, {"GT", "a, b", "nn"}, {"LT", "a, b", "nn"}, {"EQU$", "a$, b$", "aa"},
    {"NEQ$", "a$, b$", "aa"}, {"GT$", "a$, b$", "aa"}, {"LT$", "a$, b$", "aa"}, {"COS", "x", "n"},
    {"SIN", "x", "n"}, {"TAN", "x", "n"}, {"COT", "x", "n"}, {"ARCTAN", "x", "n"}, {"EXP", "x", "n"},
    {"LN", "x", "n"}, {"LOG", "x", "n"}, {"SQR", "x", "n"}, {"SQRT", "x", "n"}, {"PI", "", ""},
    {"INT", "x", "n"}, {"RND", "n", "n"}, {"ROUND", "x, places", "nn"}, {"POWER", "base, exponent", "nn"},
    {"IF", "condition, then, else", "aaa"},
    // Text.
    {"ADD$", "a$, b$", "aa"}, {"CHR$", "code", "n"}, {"MID$", "text, position, count", "ann"},
    {"DEL$", "text, position, count", "ann"}, {"INS$", "insert, text, position", "aan"},
    {"LEN", "text", "a"}, {"INSTR", "needle, text", "aa"}, {"ORD", "text", "a"}, {"TRIM$", "text", "a"},
    {"UPPER$", "text", "a"}, {"LOWER$", "text", "a"}, {"SUBSTR$", "text, n, separator", "ana"},
    {"TRANSLATE$", "text, find, replace", "aaa"}, {"ANSITOOEM$", "text", "a"}, {"OEMTOANSI$", "text", "a"},
    {"STR$", "x", "a"}, {"VAL", "text", "a"}, {"FORMAT$", "format, x", "aa"},
    // Conversions, dates, system.
    {"DATE$", "n", "a"}, {"TIME$", "n", "a"}, {"DTOC$", "yyyymmdd", "a"}, {"CTOD$", "date", "a"},
    {"PAR$", "n", "n"}, {"GETENV$", "name", "a"}, {"NOP", "x", "a"}, {"RGB", "red, green, blue", "nnn"},
    {"GETRED", "colour", "n"}, {"GETGREEN", "colour", "n"}, {"GETBLUE", "colour", "n"},
    {"INP", "port", "n"}, {"INPW", "port", "n"}, {"WINEXEC", "command line, show", "an"},
    {"EXECWAIT", "command line, show", "an"}, {"MCISEND$", "command", "a"},
    {"ARRAY%", "index", "n"}, {"ARRAY&", "index", "n"}, {"ARRAY!", "index", "n"}, {"ARRAY$", "index", "n"},
    {"AREABYTE", "area, offset", "an"}, {"AREAWORD", "area, offset", "an"}, {"AREALONG", "area, offset", "an"},
    {"AREASTRING$", "area, offset", "an"}, {"AREATEXT", "area, offset, count", "ann"},
    // Files and folders.
    {"EOF", "#n", "a"}, {"GETBYTE", "#n", "a"}, {"GETFATTR", "#n", "a"}, {"GETFDATE$", "#n", "a"},
    {"GETFILEPOS", "#n", "a"}, {"GETFILESIZE", "#n", "a"}, {"FILESIZE", "name", "a"},
    {"BLOCKREAD", "#n, area, offset, count", "aann"}, {"FINDFIRST$", "mask", "a"}, {"FINDNEXT$", "", ""},
    {"GETDIR$", "drive", "a"}, {"DISKFREE", "drive", "a"}, {"DISKSIZE", "drive", "a"},
    {"CHOOSEDIR$", "title", "a"},
    // dBase tables.
    {"DBOPEN", "#n, name", "aa"}, {"DBCLOSE", "#n", "a"}, {"DBSELECT", "#n", "a"}, {"DBAPPEND", "", ""},
    {"DBDELETE", "", ""}, {"DBRECALL", "", ""}, {"DBPACK", "", ""}, {"DBGO", "where", "a"},
    {"DBFIND", "field, text", "aa"}, {"DBGET$", "field", "a"}, {"DBGETN$", "field number", "n"},
    {"DBPUT", "field, text", "aa"}, {"DBPUTN", "field number, text", "na"}, {"DBWRITE", "record", "a"},
    {"DBGETMEMO", "field", "a"}, {"DBPUTMEMO", "field", "a"}, {"DBSEEK", "key, exact", "an"},
    // Profiles, libraries, ODBC.
    {"READINI$", "file, section, key", "aaa"}, {"LOADLIB", "name", "a"}, {"SQLINIT", "connection", "a"},
    // Serial ports.
    {"COMOPEN", "name, in queue, out queue", "ann"}, {"COMCLOSE", "handle", "n"}, {"COMERROR", "handle", "n"},
    {"COMREAD$", "handle, max", "nn"}, {"COMWRITE", "handle, text", "na"}, {"COMSETUP", "definition", "a"},
    {"COMFLAGS", "handle, a, b, c, flags, xon limit, xoff limit", "nnnnnnn"},
    // Keyboard, windows, controls, lists.
    {"INKEY$", "", ""}, {"WAITKEY$", "", ""}, {"KEYIN", "keys", "a"}, {"ISKEY", "n", "n"},
    {"ISCOMMAND", "n", "n"}, {"GETPIXEL", "x, y", "nn"}, {"GETACTIVEWINDOW", "", ""}, {"GETFOCUS", "", ""},
    {"SETACTIVEWINDOW", "handle", "n"}, {"SETFOCUS", "handle", "n"}, {"SHOWWINDOW", "handle, show", "nn"},
    {"DESTROYWINDOW", "handle", "n"}, {"SENDMESSAGE", "handle, message, wParam, lParam", "nnnn"},
    {"CREATEWINDOW", "parent, caption, x, y, width, height", "nannnn"},
    {"CREATEDIALOG", "parent, caption, x, y, width, height", "nannnn"},
    {"CREATEICON", "parent, icon, x, y", "nann"}, {"GETDLGITEM", "dialog, control", "nn"},
    {"GETCHECK", "handle", "n"}, {"GETTEXT$", "handle", "n"}, {"GETLINE$", "handle, line", "nn"},
    {"GETLINECOUNT", "handle", "n"}, {"LISTADD", "handle, text", "na"}, {"LISTINSERT", "handle, index, text", "nna"},
    {"LISTDELETE", "handle, index", "nn"}, {"LISTCOUNT", "handle", "n"}, {"LISTSEL", "handle", "n"},
    {"LISTFILL", "handle", "n"}, {"LISTFIND", "handle, start, text", "nna"},
    {"LISTGETTEXT$", "handle, index", "nn"}, {"LISTTOEDIT", "handle", "n"}, {"COMBOADD", "handle, text", "na"},
    {"COMBODELETE", "handle, index", "nn"}, {"COMBOFILL", "handle", "n"},
    {"CREATEBUTTON", "parent, caption, x, y, width, height", "nannnn"},
    {"CREATEDEFBUTTON", "parent, caption, x, y, width, height", "nannnn"},
    {"CREATECHECKBOX", "parent, caption, x, y, width, height", "nannnn"},
    {"CREATERADIOBUTTON", "parent, caption, x, y, width, height", "nannnn"},
    {"CREATEGROUPBOX", "parent, caption, x, y, width, height", "nannnn"},
    {"CREATETEXT", "parent, caption, x, y, width, height", "nannnn"},
    {"CREATEEDIT", "parent, text, x, y, width, height", "nannnn"},
    {"CREATEMULTIEDIT", "parent, text, x, y, width, height", "nannnn"},
    {"CREATELISTBOX", "parent, caption, x, y, width, height", "nannnn"},
    {"CREATESORTEDLISTBOX", "parent, caption, x, y, width, height", "nannnn"},
    {"CREATECOMBOBOX", "parent, caption, x, y, width, height", "nannnn"},
    {"CREATEHSCROLL", "parent, caption, x, y, width, height", "nannnn"},
    {"CREATEVSCROLL", "parent, caption, x, y, width, height", "nannnn"},
    {"LOADDIALOG", "module, parent, template", "nna"}, {"GETSCROLLPOS", "handle", "n"},
    {"CLIENTWIDTH", "handle", "n"}, {"CLIENTHEIGHT", "handle", "n"}, {"LOADSTRING$", "module, id", "nn"},
    {"FULLPATH$", "name", "a"}, {"SHORTPATH$", "name", "a"}, {"FINDWINDOW", "title", "a"},
    {"POSTMESSAGE", "handle, message, wParam, lParam", "nnnn"}, {"SENDKEYS", "handle, keys", "na"},
    {"SENDKEY", "handle, key", "nn"}, {"ICONCOUNT", "file", "a"}, {"GETCLIP$", "", ""},
    // Standard dialogs.
    {"MESSAGEBOX", "text, caption, style", "aan"}, {"INPUT$", "prompt, caption, text", "aaa"},
    {"LISTBOX$", "caption, style", "an"}, {"EDITBOX", "caption, style", "an"},
    {"FILEOPEN$", "caption, name", "aa"}, {"FILESAVE$", "caption, name", "aa"}, {"LISTITEM$", "index", "a"},
};

}  // namespace

const BuiltinArgs* FindBuiltinArgs(std::string_view upper_name) {
  for (const auto& e : kTable)
    if (upper_name == e.name) return &e;
  return nullptr;
}

}  // namespace vestcomp
