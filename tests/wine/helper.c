/* The Win32 side of the Wine tests, built with the mingw compiler of the tested runner (exit 0 done, 1 failed):
 *   ref SPEC          shows the box or dialog vestrun.exe should show; SPEC: NUL-separated Windows-1252 fields,
 *                     "box" style caption text (exit: the button) or "open" title filter ext (exit 1 / 0)
 *   form TITLE FILE   after a second, appends the class of the focus in TITLE's thread and its list's entries
 *   redraw TITLE      invalidates the window with erase, as uncovering it does
 *   partner FILE      a DDE partner of VTEST|SYSTEM: records the initiate, each execute and the terminate
 *   clip text N       puts N letters on the clipboard; "clip bitmap": a bitmap alone */
#include <windows.h>
#include <commdlg.h>
#include <dde.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int reference(const char *path) {
  static char spec[8192], filter[1024], name[MAX_PATH + 1];
  FILE *f = fopen(path, "rb");
  if (!f) return 100;
  size_t n = fread(spec, 1, sizeof spec - 4, f);
  fclose(f);
  const char *field[4] = {spec, 0, 0, 0};
  for (int i = 1; i < 4; ++i) field[i] = field[i - 1] + strlen(field[i - 1]) + 1;
  if (strcmp(spec, "box") == 0) return MessageBoxA(NULL, field[3], field[2], (UINT)strtoul(field[1], NULL, 0));
  size_t len = strlen(field[2]);
  if (strcmp(spec, "open") != 0 || n == 0 || len + 2 > sizeof filter) return 100;
  for (size_t i = 0; i < len; ++i) filter[i] = field[2][i] == '|' ? '\0' : field[2][i];
  OPENFILENAMEA ofn = {.lStructSize = sizeof(OPENFILENAMEA), .lpstrFilter = filter, .nFilterIndex = 1,
                       .lpstrFile = name, .nMaxFile = sizeof name, .lpstrTitle = field[1], .lpstrDefExt = field[3],
                       .Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY};
  return GetOpenFileNameA(&ofn) ? 1 : 0;
}

static int form(HWND w, const char *file) {
  Sleep(1000); /* the keys before have had their effect */
  GUITHREADINFO gui = {.cbSize = sizeof(GUITHREADINFO)};
  char name[64] = "none";
  if (GetGUIThreadInfo(GetWindowThreadProcessId(w, NULL), &gui) && gui.hwndFocus)
    GetClassNameA(gui.hwndFocus, name, sizeof name);
  HWND list = FindWindowExA(w, NULL, "LISTBOX", NULL);
  FILE *f = fopen(file, "a");
  if (!f) return 1;
  fprintf(f, "%s", name);
  LRESULT n = list ? SendMessageA(list, LB_GETCOUNT, 0, 0) : 0;
  for (LRESULT i = 0; i < n; ++i) {
    /* Across processes the text comes as UTF-16, whichever side asks. */
    WCHAR wide[256] = {0};
    char text[512] = "";
    if (SendMessageW(list, LB_GETTEXTLEN, (WPARAM)i, 0) < 256) SendMessageW(list, LB_GETTEXT, (WPARAM)i, (LPARAM)wide);
    WideCharToMultiByte(1252, 0, wide, -1, text, sizeof text, NULL, NULL);
    fprintf(f, " %s", text);
  }
  fprintf(f, "\n");
  fclose(f);
  return 0;
}

static FILE *record;

static LRESULT CALLBACK partner_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  char app[64] = "", topic[64] = "";
  if (m == WM_DDE_INITIATE) {
    GlobalGetAtomNameA(LOWORD(lp), app, sizeof app);
    GlobalGetAtomNameA(HIWORD(lp), topic, sizeof topic);
    if (lstrcmpiA(app, "VTEST") != 0 || lstrcmpiA(topic, "SYSTEM") != 0) return 0;
    fprintf(record, "connect %s %s\n", app, topic);
    SendMessageA((HWND)wp, WM_DDE_ACK, (WPARAM)w, MAKELPARAM(GlobalAddAtomA(app), GlobalAddAtomA(topic)));
  } else if (m == WM_DDE_EXECUTE) {
    const char *text = (const char *)GlobalLock((HGLOBAL)lp);
    fprintf(record, "execute %s\n", text ? text : "(no block)");
    if (text) GlobalUnlock((HGLOBAL)lp);
    PostMessageA((HWND)wp, WM_DDE_ACK, (WPARAM)w, PackDDElParam(WM_DDE_ACK, 0x8000, (UINT_PTR)lp));
  } else if (m == WM_DDE_TERMINATE) {
    fprintf(record, "terminate\n");
    PostMessageA((HWND)wp, WM_DDE_TERMINATE, (WPARAM)w, 0);
    PostQuitMessage(0);
  } else {
    return DefWindowProcA(w, m, wp, lp);
  }
  return 0;
}

static int partner(const char *file) {
  record = fopen(file, "w");
  WNDCLASSA wc = {.lpfnWndProc = partner_proc, .hInstance = GetModuleHandleA(NULL), .lpszClassName = "VTestPartner"};
  RegisterClassA(&wc);
  HWND w = CreateWindowA("VTestPartner", "VTEST partner", WS_OVERLAPPED, 0, 0, 10, 10, NULL, NULL, wc.hInstance, NULL);
  if (!w || !record) return 1;
  setvbuf(record, NULL, _IONBF, 0);
  fprintf(record, "ready\n");
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) DispatchMessageA(&msg);
  fclose(record);
  return 0;
}

static int clip(const char *what, int n) {
  HANDLE data = NULL;
  if (strcmp(what, "text") == 0) {
    data = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, (SIZE_T)n + 1);
    char *p = (char *)GlobalLock(data);
    for (int i = 0; i < n; ++i) p[i] = (char)('a' + i % 26);
    GlobalUnlock(data);
  } else {
    HDC screen = GetDC(NULL);
    data = CreateCompatibleBitmap(screen, 8, 8);
    ReleaseDC(NULL, screen);
  }
  if (!OpenClipboard(NULL)) return 1;
  EmptyClipboard();
  int ok = data && SetClipboardData(strcmp(what, "text") == 0 ? CF_TEXT : CF_BITMAP, data) != NULL;
  CloseClipboard();
  return ok ? 0 : 1;
}

int main(int argc, char **argv) {
  const char *verb = argc > 2 ? argv[1] : "";
  HWND w = strcmp(verb, "form") == 0 || strcmp(verb, "redraw") == 0 ? FindWindowA(NULL, argv[2]) : NULL;
  if (strcmp(verb, "ref") == 0) return reference(argv[2]);
  if (strcmp(verb, "form") == 0) return w && argc == 4 ? form(w, argv[3]) : 1;
  if (strcmp(verb, "redraw") == 0) return w && RedrawWindow(w, NULL, NULL, RDW_INVALIDATE | RDW_ERASE) ? 0 : 1;
  if (strcmp(verb, "partner") == 0) return partner(argv[2]);
  if (strcmp(verb, "clip") == 0) return clip(argv[2], argc > 3 ? atoi(argv[3]) : 0);
  fprintf(stderr, "usage: helper ref SPEC | form TITLE FILE | redraw TITLE | partner FILE | clip text N|bitmap\n");
  return 100;
}
