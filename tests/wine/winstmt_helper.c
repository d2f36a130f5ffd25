/* A helper of the window statements' Wine tests (tests/wine/window.cases), built
 * with the mingw compiler of the tested vestrun.exe:
 *
 *   winstmt_helper info TITLE FILE    writes "x y w h style menu" of the
 *                                     top-level window TITLE to FILE
 *   winstmt_helper form TITLE FILE    appends a line to FILE: the class of the
 *                                     window with the keyboard focus in TITLE's
 *                                     thread, then the entries of TITLE's list
 *                                     box, each after a blank
 *   winstmt_helper cover TITLE        covers the window with a topmost window,
 *                                     takes it away again and invalidates the
 *                                     window as an uncovering does (with erase)
 *   winstmt_helper partner FILE       a DDE partner: acknowledges the initiate
 *                                     of application VTEST, topic SYSTEM, and
 *                                     every execute; records them in FILE; ends
 *                                     at the terminate (or after 60 s)
 *
 * Exit code 0 on success, 1 on a failure (a message on stderr).
 */
#include <windows.h>
#include <dde.h>
#include <stdio.h>
#include <string.h>

static HWND find_window(const char *title) {
  for (int i = 0; i < 100; ++i) {
    HWND w = FindWindowA(NULL, title);
    if (w) return w;
    Sleep(100);
  }
  fprintf(stderr, "no window %s\n", title);
  return NULL;
}

static int info(const char *title, const char *file) {
  HWND w = find_window(title);
  if (!w) return 1;
  RECT r;
  GetWindowRect(w, &r);
  LONG style = GetWindowLongA(w, GWL_STYLE);
  int menu = GetMenu(w) != NULL;
  FILE *f = fopen(file, "w");
  if (!f) return 1;
  fprintf(f, "%ld %ld %ld %ld %08lx %d\n", (long)r.left, (long)r.top, (long)(r.right - r.left),
          (long)(r.bottom - r.top), (unsigned long)style, menu);
  fclose(f);
  return 0;
}

static int form(const char *title, const char *file) {
  HWND w = find_window(title);
  if (!w) return 1;
  GUITHREADINFO gui;
  memset(&gui, 0, sizeof gui);
  gui.cbSize = sizeof gui;
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

static void pump_for(DWORD ms) {
  DWORD end = GetTickCount() + ms;
  while ((LONG)(end - GetTickCount()) > 0) {
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(20);
  }
}

static int cover(const char *title) {
  HWND w = find_window(title);
  if (!w) return 1;
  RECT r;
  GetWindowRect(w, &r);
  HWND top = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "Deckel", WS_POPUP | WS_VISIBLE | SS_BLACKRECT, r.left,
                             r.top, r.right - r.left, r.bottom - r.top, NULL, NULL, GetModuleHandleA(NULL), NULL);
  if (!top) return 1;
  pump_for(700);
  DestroyWindow(top);
  /* A display that keeps window surfaces repairs the area itself; the
   * uncovering is made explicit so that the window's paint rule decides. */
  RedrawWindow(w, NULL, NULL, RDW_INVALIDATE | RDW_ERASE);
  pump_for(300);
  return 0;
}

static FILE *record;
static HWND client;

static LRESULT CALLBACK partner_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  char app[64] = "", topic[64] = "";
  switch (m) {
    case WM_DDE_INITIATE:
      GlobalGetAtomNameA(LOWORD(lp), app, sizeof app);
      GlobalGetAtomNameA(HIWORD(lp), topic, sizeof topic);
      if (lstrcmpiA(app, "VTEST") != 0 || lstrcmpiA(topic, "SYSTEM") != 0) return 0;
      client = (HWND)wp;
      fprintf(record, "connect %s %s\n", app, topic);
      fflush(record);
      SendMessageA(client, WM_DDE_ACK, (WPARAM)w, MAKELPARAM(GlobalAddAtomA(app), GlobalAddAtomA(topic)));
      return 0;
    case WM_DDE_EXECUTE: {
      HGLOBAL block = (HGLOBAL)lp;
      const char *text = (const char *)GlobalLock(block);
      fprintf(record, "execute %s\n", text ? text : "(no block)");
      fflush(record);
      if (text) GlobalUnlock(block);
      PostMessageA((HWND)wp, WM_DDE_ACK, (WPARAM)w, PackDDElParam(WM_DDE_ACK, 0x8000, (UINT_PTR)block));
      return 0;
    }
    case WM_DDE_TERMINATE:
      fprintf(record, "terminate\n");
      fclose(record);
      record = NULL;
      PostMessageA((HWND)wp, WM_DDE_TERMINATE, (WPARAM)w, 0);
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(w, m, wp, lp);
}

static int partner(const char *file) {
  record = fopen(file, "w");
  if (!record) return 1;
  WNDCLASSA wc = {0};
  wc.lpfnWndProc = partner_proc;
  wc.hInstance = GetModuleHandleA(NULL);
  wc.lpszClassName = "VTestPartner";
  RegisterClassA(&wc);
  HWND w = CreateWindowA("VTestPartner", "VTEST partner", WS_OVERLAPPED, 0, 0, 10, 10, NULL, NULL, wc.hInstance,
                         NULL);
  if (!w) return 1;
  fprintf(record, "ready\n");
  fflush(record);
  SetTimer(w, 1, 60000, NULL);
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) {
    if (msg.message == WM_TIMER) break;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (record) {
    fprintf(record, "timeout\n");
    fclose(record);
  }
  return 0;
}

int main(int argc, char **argv) {
  if (argc == 4 && strcmp(argv[1], "info") == 0) return info(argv[2], argv[3]);
  if (argc == 4 && strcmp(argv[1], "form") == 0) return form(argv[2], argv[3]);
  if (argc == 3 && strcmp(argv[1], "cover") == 0) return cover(argv[2]);
  if (argc == 3 && strcmp(argv[1], "partner") == 0) return partner(argv[2]);
  fprintf(stderr, "usage: winstmt_helper info TITLE FILE | form TITLE FILE | cover TITLE | partner FILE\n");
  return 1;
}
