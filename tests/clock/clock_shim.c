/* A clock that tests can move: preloaded into every process of a Wine session, it adds
 * offsets to the time that glibc hands out. The offsets are two decimal numbers of
 * milliseconds, "<wall clock> <tick count>", in the file named by VELMORA_CLOCK_FILE, read
 * again at most every 50 ms, so a test moves the clock of every process by rewriting it.
 * New offsets take effect 150 ms after the file was written, by the real clock: every process
 * has read them by then and all switch at the same instant. (Processes that disagreed about the
 * tick count would stall: a wait that one computes ends in the other's future.)
 * 32-bit Wine reads the time through the 64-bit entry points; the 32-bit ones are covered too.
 * Built 64-bit (for 64-bit Wine), the plain entry points are the 64-bit ones. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

struct timespec64 { int64_t tv_sec; int32_t tv_nsec; int32_t pad; };
struct timeval64 { int64_t tv_sec; int64_t tv_usec; };

typedef int (*clock_gettime64_fn)(clockid_t, struct timespec64*);
typedef int (*gettimeofday64_fn)(struct timeval64*, void*);
typedef int (*clock_gettime_fn)(clockid_t, struct timespec*);
typedef int (*gettimeofday_fn)(struct timeval*, void*);

/* The offsets before and after the latest change, and the real wall-clock instant between. */
static volatile int64_t oldWallMs, oldTickMs, wallOffsetMs, tickOffsetMs, switchNs, nextReadNs, writtenNs = -1;

static clock_gettime64_fn realClockGettime64(void) {
  static clock_gettime64_fn fn;
  if (!fn) fn = (clock_gettime64_fn)dlsym(RTLD_NEXT, sizeof(long) == 8 ? "clock_gettime" : "__clock_gettime64");
  return fn;
}

static int64_t parse(const char** p) {
  while (**p == ' ' || **p == '\n' || **p == '\r' || **p == '\t') ++*p;
  int negative = **p == '-';
  if (negative) ++*p;
  int64_t value = 0;
  while (**p >= '0' && **p <= '9') value = value * 10 + (*(*p)++ - '0');
  return negative ? -value : value;
}

static int64_t realNs(clockid_t clock) {
  struct timespec64 now;
  clock_gettime64_fn real = realClockGettime64();
  if (!real || real(clock, &now) != 0) return 0;
  return now.tv_sec * 1000000000LL + now.tv_nsec;
}

/* Re-reads the offsets when 50 ms have passed since the last reading (real monotonic time). */
static void refresh(void) {
  const int64_t nowNs = realNs(CLOCK_MONOTONIC);
  if (nowNs < nextReadNs) return;
  nextReadNs = nowNs + 50000000LL;
  const char* path = getenv("VELMORA_CLOCK_FILE");
  if (!path) return;
  int fd = open(path, O_RDONLY);
  if (fd < 0) return;
  struct stat info;
  char text[96];
  ssize_t n = fstat(fd, &info) == 0 ? read(fd, text, sizeof text - 1) : -1;
  close(fd);
  if (n <= 0) return;
  const int64_t written = (int64_t)info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec;
  if (written == writtenNs) return;
  text[n] = 0;
  const char* p = text;
  int64_t wall = parse(&p);
  int64_t tick = parse(&p);
  const int first = writtenNs == -1;
  const int switched = realNs(CLOCK_REALTIME) >= switchNs;
  oldWallMs = first ? wall : switched ? wallOffsetMs : oldWallMs;
  oldTickMs = first ? tick : switched ? tickOffsetMs : oldTickMs;
  wallOffsetMs = wall;
  tickOffsetMs = tick;
  switchNs = written + 150000000LL;
  writtenNs = written;
}

static int64_t offsetNs(clockid_t clock) {
  refresh();
  const int switched = realNs(CLOCK_REALTIME) >= switchNs;
  switch (clock) {
    case CLOCK_REALTIME: case CLOCK_REALTIME_COARSE: return (switched ? wallOffsetMs : oldWallMs) * 1000000LL;
    case CLOCK_MONOTONIC: case CLOCK_MONOTONIC_RAW: case CLOCK_MONOTONIC_COARSE: case CLOCK_BOOTTIME:
      return (switched ? tickOffsetMs : oldTickMs) * 1000000LL;
    default: return 0;
  }
}

static void shift64(struct timespec64* t, int64_t ns) {
  int64_t total = t->tv_nsec + ns % 1000000000LL;
  t->tv_sec += ns / 1000000000LL + total / 1000000000LL;
  total %= 1000000000LL;
  if (total < 0) { total += 1000000000LL; t->tv_sec -= 1; }
  t->tv_nsec = (int32_t)total;
}

int __clock_gettime64(clockid_t clock, struct timespec64* t) {
  clock_gettime64_fn real = realClockGettime64();
  int result = real ? real(clock, t) : -1;
  if (result == 0) shift64(t, offsetNs(clock));
  return result;
}

int clock_gettime(clockid_t clock, struct timespec* t) {
  struct timespec64 wide;
  int result = __clock_gettime64(clock, &wide);
  if (result == 0) { t->tv_sec = (time_t)wide.tv_sec; t->tv_nsec = wide.tv_nsec; }
  return result;
}

int __gettimeofday64(struct timeval64* t, void* zone) {
  (void)zone;
  struct timespec64 now;
  int result = __clock_gettime64(CLOCK_REALTIME, &now);
  if (result == 0 && t) { t->tv_sec = now.tv_sec; t->tv_usec = now.tv_nsec / 1000; }
  return result;
}

int gettimeofday(struct timeval* t, void* zone) {
  struct timeval64 wide;
  int result = __gettimeofday64(&wide, zone);
  if (result == 0) { t->tv_sec = (time_t)wide.tv_sec; t->tv_usec = (suseconds_t)wide.tv_usec; }
  return result;
}

int64_t __time64(int64_t* out) {
  struct timespec64 now;
  if (__clock_gettime64(CLOCK_REALTIME, &now) != 0) return -1;
  if (out) *out = now.tv_sec;
  return now.tv_sec;
}

time_t time(time_t* out) {
  time_t value = (time_t)__time64(0);
  if (out) *out = value;
  return value;
}
