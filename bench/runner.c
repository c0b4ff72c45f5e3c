/* Runs one command and prints what it cost, more finely than GNU time's 10 ms steps:
 *
 *   runner [-n COUNT] COMMAND [ARGS...]
 *
 * prints "WALL USER SYS PEAK" on standard error's last line: wall, user and system time in seconds
 * (microseconds), and the largest resident set in KiB. The command's standard output goes to
 * /dev/null; its exit code is the runner's. With -n the command runs COUNT times in a row and the
 * times are those of one run, on average: the kernel splits a process's time into user and system
 * time by where its clock ticks find it, so a run of a few milliseconds gets a split of a few ticks;
 * the runs timed together get one of COUNT times as many. Build: cc -O2 -o runner runner.c */
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double seconds(struct timeval t) {
  return (double)t.tv_sec + (double)t.tv_usec / 1e6;
}

/* Runs the command once; adds its wall, user and system time to the sums and raises the peak. */
static int run(char** argv, double* wall, double* user, double* sys, long* peak) {
  struct timespec start, end;
  clock_gettime(CLOCK_MONOTONIC, &start);
  const pid_t child = fork();
  if (child < 0) {
    perror("runner: fork");
    return -1;
  }
  if (child == 0) {
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0) dup2(null, 1);
    execvp(argv[0], argv);
    perror("runner: exec");
    _exit(127);
  }
  int status = 0;
  struct rusage usage;
  if (wait4(child, &status, 0, &usage) < 0) {
    perror("runner: wait");
    return -1;
  }
  clock_gettime(CLOCK_MONOTONIC, &end);
  *wall += (double)(end.tv_sec - start.tv_sec) + (double)(end.tv_nsec - start.tv_nsec) / 1e9;
  *user += seconds(usage.ru_utime);
  *sys += seconds(usage.ru_stime);
  if (usage.ru_maxrss > *peak) *peak = usage.ru_maxrss;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int main(int argc, char** argv) {
  int first = 1;
  long count = 1;
  if (argc > 2 && argv[1][0] == '-' && argv[1][1] == 'n' && argv[1][2] == 0) {
    char* end = NULL;
    count = strtol(argv[2], &end, 10);
    if (*end != 0 || count < 1) count = 0;
    first = 3;
  }
  if (argc <= first || count == 0) {
    fprintf(stderr, "usage: runner [-n COUNT] COMMAND [ARGS...]\n");
    return 2;
  }
  double wall = 0, user = 0, sys = 0;
  long peak = 0;
  int code = 0;
  long runs = 0;
  while (code == 0 && runs < count) {
    code = run(argv + first, &wall, &user, &sys, &peak);
    ++runs;
  }
  if (code < 0) return 2;
  fprintf(stderr, "%.6f %.6f %.6f %ld\n", wall / runs, user / runs, sys / runs, peak);
  return code;
}
