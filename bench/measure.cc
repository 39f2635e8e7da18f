// Runs a command and writes what it cost: wall time, peak resident set, exit
// status and processor time (user and system), as one line
// "SECONDS MAXRSS_KIB STATUS CPU_SECONDS" appended to RESULT_FILE. On a
// shared machine the wall time also holds the time spent waiting for a
// processor; the processor time does not. The command keeps measure's standard input, output and
// error, so the caller redirects them as for the command itself.
//
//   measure RESULT_FILE COMMAND [ARGUMENTS...]
//
// The peak resident set is the child's own (wait4), not measure's; the
// status is the exit status, or 128 + the signal that ended the command.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: measure RESULT_FILE COMMAND [ARGUMENTS...]\n", stderr);
    return 2;
  }
  timespec start, end;
  clock_gettime(CLOCK_MONOTONIC, &start);
  const pid_t child = fork();
  if (child < 0) {
    std::perror("measure: fork");
    return 2;
  }
  if (child == 0) {
    execvp(argv[2], argv + 2);
    std::fprintf(stderr, "measure: %s: %s\n", argv[2], std::strerror(errno));
    _exit(127);
  }
  int wstatus = 0;
  rusage usage{};
  while (wait4(child, &wstatus, 0, &usage) < 0) {
    if (errno != EINTR) {
      std::perror("measure: wait4");
      return 2;
    }
  }
  clock_gettime(CLOCK_MONOTONIC, &end);
  const double seconds =
      static_cast<double>(end.tv_sec - start.tv_sec) + (end.tv_nsec - start.tv_nsec) / 1e9;
  const int status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  std::FILE* out = std::fopen(argv[1], "a");
  if (out == nullptr) {
    std::fprintf(stderr, "measure: %s: %s\n", argv[1], std::strerror(errno));
    return 2;
  }
  const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  std::fprintf(out, "%.6f %ld %d %.6f\n", seconds, usage.ru_maxrss, status, cpu);
  std::fclose(out);
  return 0;
}
