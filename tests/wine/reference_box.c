/* A test helper for the Wine tests: shows the box or dialog that vestrun.exe
 * is expected to show, straight from the Win32 API, so that the tests can
 * compare screenshots of the two pixel by pixel.
 *
 *   reference_box.exe SPEC
 *
 * SPEC is a file of NUL-separated fields (the texts as Windows-1252 bytes):
 *   "box"  NUL style NUL caption NUL text       -> MessageBoxA, no owner
 *   "open" NUL title NUL filter NUL default-ext -> GetOpenFileNameA, no owner,
 *                                                  "|" in the filter = NUL,
 *                                                  first filter selected,
 *                                                  OFN_FILEMUSTEXIST | OFN_HIDEREADONLY
 * The exit code is the button (box) or 1 / 0 for a confirmed / cancelled
 * dialog; 100 when SPEC cannot be read.
 */
#include <windows.h>
#include <commdlg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static char spec[8192];

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
  (void)instance;
  (void)previous;
  (void)command_line;
  (void)show;
  if (__argc < 2) return 100;
  FILE* f = fopen(__argv[1], "rb");
  if (!f) return 100;
  size_t n = fread(spec, 1, sizeof spec - 4, f);
  fclose(f);
  memset(spec + n, 0, 4);

  const char* field[4] = {spec, 0, 0, 0};
  for (int i = 1; i < 4; ++i) field[i] = field[i - 1] + strlen(field[i - 1]) + 1;

  if (strcmp(field[0], "box") == 0)
    return MessageBoxA(NULL, field[3], field[2], (UINT)strtoul(field[1], NULL, 0));

  if (strcmp(field[0], "open") == 0) {
    static char filter[1024];
    static char name[MAX_PATH + 1];
    size_t len = strlen(field[2]);
    if (len + 2 > sizeof filter) return 100;
    memcpy(filter, field[2], len);
    for (size_t i = 0; i < len; ++i)
      if (filter[i] == '|') filter[i] = '\0';
    filter[len] = filter[len + 1] = '\0';
    OPENFILENAMEA ofn;
    memset(&ofn, 0, sizeof ofn);
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = name;
    ofn.nMaxFile = sizeof name;
    ofn.lpstrTitle = field[1];
    ofn.lpstrDefExt = field[3];
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    return GetOpenFileNameA(&ofn) ? 1 : 0;
  }
  return 100;
}
