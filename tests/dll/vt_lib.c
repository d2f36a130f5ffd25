/* The test library of the library calls: functions of 0, 1, 5 and 12
 * arguments and one that writes into the memory it is given. On Windows a
 * DLL of stdcall functions (exported without decoration, -Wl,--kill-at); on
 * Linux a shared library of C functions. */
#include <string.h>

#ifdef _WIN32
#define API __declspec(dllexport) int __stdcall
#else
#define API int
#endif

API vt_none(void) { return 4711; }

API vt_negate(int a) { return -a; }

/* The digits in order: the arguments arrive in the order written. */
API vt_five(int a, int b, int c, int d, int e) { return a * 10000 + b * 1000 + c * 100 + d * 10 + e; }

/* Each argument times its position. */
API vt_twelve(int a1, int a2, int a3, int a4, int a5, int a6, int a7, int a8, int a9, int a10, int a11,
              int a12) {
  return a1 + 2 * a2 + 3 * a3 + 4 * a4 + 5 * a5 + 6 * a6 + 7 * a7 + 8 * a8 + 9 * a9 + 10 * a10 + 11 * a11 +
         12 * a12;
}

/* Writes count bytes of the character c at offset 1 of the block and
 * returns the length of the text that starts at the block. */
API vt_fill(char *block, int count, int c) {
  memset(block + 1, c, (size_t)count);
  return (int)strlen(block);
}
