/* Puts test data on the clipboard and ends: "text N" a text of N letters,
   "bitmap" a small bitmap alone. Exit code 0 when the clipboard took it. */
#include <windows.h>
#include <stdlib.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
  (void)instance;
  (void)previous;
  (void)show;
  if (!OpenClipboard(NULL)) return 2;
  EmptyClipboard();
  HANDLE data = NULL;
  UINT format = CF_TEXT;
  if (strncmp(command_line, "text ", 5) == 0) {
    int n = atoi(command_line + 5);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, (SIZE_T)n + 1);
    char* p = (char*)GlobalLock(block);
    for (int i = 0; i < n; ++i) p[i] = (char)('a' + i % 26);
    GlobalUnlock(block);
    data = block;
  } else if (strcmp(command_line, "bitmap") == 0) {
    HDC screen = GetDC(NULL);
    data = CreateCompatibleBitmap(screen, 8, 8);
    ReleaseDC(NULL, screen);
    format = CF_BITMAP;
  }
  int ok = data && SetClipboardData(format, data) != NULL;
  CloseClipboard();
  return ok ? 0 : 3;
}
