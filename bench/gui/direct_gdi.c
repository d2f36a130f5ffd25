/* The window work of the GUI benchmarks done with direct Win32/GDI calls, as
 * the runtime does it for a script: a window with its own DC and a
 * screen-sized shadow bitmap, every figure drawn on both, text lines written
 * with ScrollWindow/UpdateWindow once the last row is reached, and the
 * message pump (F1 poll and PeekMessage) as often as the runtime must run it:
 * after every 21 statements of the script's loop and after console text.
 * Usage: direct_gdi print|pixel|figures OUTFILE  (writes the milliseconds). */
#include <windows.h>
#include <stdio.h>
#include <string.h>

static HDC target, shadow;
static int sw, sh;

static LRESULT CALLBACK proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    BitBlt(dc, 0, 0, sw, sh, shadow, 0, 0, SRCCOPY);
    EndPaint(w, &ps);
    return 0;
  }
  return DefWindowProcA(w, m, wp, lp);
}

static void pump(void) {
  MSG msg;
  GetAsyncKeyState(VK_F1);
  while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

/* The statement loop's pump: after every 21 statements. */
static int counter;
static void statements(int n) {
  while (n-- > 0) {
    if (counter > 19) {
      pump();
      counter = 0;
    } else {
      ++counter;
    }
  }
}

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  HINSTANCE inst = GetModuleHandleA(NULL);
  WNDCLASSA wc = {0};
  wc.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
  wc.lpfnWndProc = proc;
  wc.hInstance = inst;
  wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
  wc.lpszClassName = "DIRECT";
  RegisterClassA(&wc);
  sw = GetSystemMetrics(SM_CXSCREEN);
  sh = GetSystemMetrics(SM_CYSCREEN);
  HWND w = CreateWindowExA(0, "DIRECT", "direct", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, NULL, NULL, inst,
                           NULL);
  ShowWindow(w, SW_SHOWDEFAULT);
  target = GetDC(w);
  shadow = CreateCompatibleDC(target);
  HBITMAP bm = CreateCompatibleBitmap(target, sw, sh);
  SelectObject(shadow, bm);
  PatBlt(shadow, 0, 0, sw, sh, WHITENESS);
  UpdateWindow(w);
  pump();

  DWORD start = GetTickCount();
  if (!strcmp(argv[1], "print")) {
    /* 10,000 lines of 40 characters in a 640x480 client: 8x16 cells. */
    static const char line[] = "The quick brown fox jumps over the lazy.";
    RECT rc;
    GetClientRect(w, &rc);
    TEXTMETRICA tm;
    SelectObject(target, GetStockObject(SYSTEM_FIXED_FONT));
    SelectObject(shadow, GetStockObject(SYSTEM_FIXED_FONT));
    GetTextMetricsA(target, &tm);
    int rows = (rc.bottom - rc.top) / tm.tmHeight, row = 0;
    for (int i = 0; i < 10000; ++i) {
      TextOutA(target, 0, row * tm.tmHeight, line, 40);
      TextOutA(shadow, 0, row * tm.tmHeight, line, 40);
      pump();
      if (row + 1 < rows) {
        ++row;
      } else {
        ScrollWindow(w, 0, -tm.tmHeight, NULL, NULL);
        UpdateWindow(w);
      }
      pump();
      statements(4); /* WHILE, PRINT, the count, ENDWHILE */
    }
  } else if (!strcmp(argv[1], "pixel")) {
    for (int i = 0; i < 100000; ++i) {
      SetPixel(target, i % 400, i / 400, RGB(255, 0, 0));
      SetPixel(shadow, i % 400, i / 400, RGB(255, 0, 0));
      statements(4); /* WHILE, SETPIXEL, the count, ENDWHILE */
    }
  } else {
    for (int i = 0; i < 20000; ++i) {
      int x = i % 300, y = i % 200;
      MoveToEx(target, x, y, NULL);
      LineTo(target, x + 100, y + 50);
      MoveToEx(shadow, x, y, NULL);
      LineTo(shadow, x + 100, y + 50);
      Ellipse(target, x, y, x + 40, y + 30);
      Ellipse(shadow, x, y, x + 40, y + 30);
      statements(7); /* WHILE, X%, Y%, LINE, ELLIPSE, the count, ENDWHILE */
    }
  }
  GdiFlush();
  DWORD ms = GetTickCount() - start;
  FILE* f = fopen(argv[2], "w");
  if (!f) return 1;
  fprintf(f, "%lu\n", (unsigned long)ms);
  fclose(f);
  DestroyWindow(w);
  return 0;
}
