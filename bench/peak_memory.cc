// Runs a program and prints its peak resident memory in KiB (its own, or
// that of a child it waited for, whichever is larger). Starting it from
// this small process keeps a large parent's memory out of the figure.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const pid_t child = fork();
  if (child == 0) {
    execv(argv[1], argv + 1);
    _exit(127);
  }
  int status = 0;
  rusage usage = {};
  if (wait4(child, &status, 0, &usage) != child) return 3;
  std::printf("%ld\n", usage.ru_maxrss);
  return WIFEXITED(status) && WEXITSTATUS(status) <= 1 ? 0 : 4;
}
