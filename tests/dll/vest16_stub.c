/* A stand-in for the bridge program VEST16 in the tests of the bridge
 * binding. Called as
 *   VEST16 library|function|types|resulttype EXCHANGEFILE
 * it appends to BRIDGE.LOG (in the current directory) one line with its
 * first argument, the exchange file's name without its folder and the bytes
 * of the exchange file in hex; then it adds 1 to every byte of each area
 * parameter, appends as the result the sum of the number parameters plus
 * 1000 per area, and creates the marker EXCHANGEFILE + "!". The function
 * "Stirb" ends it at once, without a marker: a bridge that dies. The
 * function "Warte" (not on Windows) waits until the runner catches Ctrl+C,
 * sends it one, and sleeps: a wait the user ends. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#ifndef _WIN32
#include <signal.h>
#include <unistd.h>

/* True once the process catches SIGINT (its SigCgt mask in /proc). */
static int catches_interrupt(pid_t pid) {
  char path[64], line[256];
  snprintf(path, sizeof path, "/proc/%d/status", (int)pid);
  FILE *f = fopen(path, "r");
  unsigned long long mask = 0;
  if (!f) return 0;
  while (fgets(line, sizeof line, f))
    if (sscanf(line, "SigCgt: %llx", &mask) == 1) break;
  fclose(f);
  return (mask >> (SIGINT - 1)) & 1;
}
#endif

int main(int argc, char **argv) {
  if (argc != 3) return 2;
  FILE *f = fopen(argv[2], "r+b");
  if (!f) return 3;
  static unsigned char buf[70000];
  size_t n = fread(buf, 1, sizeof buf, f);

  FILE *log = fopen("BRIDGE.LOG", "ab");
  const char *name = argv[2];
  for (const char *p = argv[2]; *p; ++p)
    if (*p == '/' || *p == '\\') name = p + 1;
  if (log) {
    fprintf(log, "%s %s", argv[1], name);
    for (size_t i = 0; i < n; ++i) fprintf(log, " %02X", buf[i]);
    fprintf(log, "\n");
    fclose(log);
  }

  if (strstr(argv[1], "|Stirb|")) return 6;
#ifndef _WIN32
  if (strstr(argv[1], "|Warte|")) {
    while (!catches_interrupt(getppid())) usleep(1000);
    kill(getppid(), SIGINT);
    sleep(60);
    return 0;
  }
#endif
  const char *types = strchr(argv[1], '|');
  types = types ? strchr(types + 1, '|') : NULL; /* the third part */
  if (!types) return 4;
  long sum = 0;
  size_t pos = 0;
  for (const char *t = types + 1; *t && *t != '|'; ++t) {
    if (*t == '%' && pos + 2 <= n) {
      sum += (short)(buf[pos] | buf[pos + 1] << 8);
      pos += 2;
    } else if (*t == '&' && pos + 4 <= n) {
      sum += (int)((unsigned)buf[pos] | (unsigned)buf[pos + 1] << 8 | (unsigned)buf[pos + 2] << 16 |
                   (unsigned)buf[pos + 3] << 24);
      pos += 4;
    } else if (*t == '#' && pos + 4 <= n) {
      size_t size = buf[pos] | buf[pos + 1] << 8 | (size_t)buf[pos + 2] << 16 | (size_t)buf[pos + 3] << 24;
      pos += 4;
      for (size_t i = 0; i < size && pos + i < n; ++i) buf[pos + i]++;
      pos += size;
      sum += 1000;
    }
  }
  unsigned char result[4] = {(unsigned char)sum, (unsigned char)(sum >> 8), (unsigned char)(sum >> 16),
                             (unsigned char)(sum >> 24)};
  fseek(f, 0, SEEK_SET);
  fwrite(buf, 1, pos, f);
  fwrite(result, 1, 4, f);
  fclose(f);

  char marker[4096];
  snprintf(marker, sizeof marker, "%s!", argv[2]);
  FILE *m = fopen(marker, "wb");
  return m && fclose(m) == 0 ? 0 : 5;
}
