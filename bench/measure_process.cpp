// Runs a command and reports its wall time, peak resident memory and CPU
// time (user and system, all threads), as
// "seconds maxrss_kib exit_code cpu_seconds": the start-up measurements of
// the bench report use it, since the snapshot tool without outputs renders
// its first frame and exits. On a machine busy with other work the CPU time
// says more than the wall time.
//
// With --first-frame, the command is a window app: it runs with
// NORVEL_REPORT_FIRST_FRAME=1, which makes the window host write
// "first frame presented at SECONDS" (CLOCK_MONOTONIC) to standard error
// once its first frame is on screen. The time reported is from just before
// the fork to that moment; the app is then ended with SIGTERM, and the peak
// memory is the app's over its whole run. When the app ends without the
// line, the time is -1.
//
// Usage: measure_process [--first-frame] COMMAND [ARGS...]

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

double monotonicSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Reads the child's standard error until the first-frame line; the other
// lines are passed on to ours. Returns the stamped time, or -1 at the end
// of the stream.
double readFirstFrame(int fd) {
    static const char kPrefix[] = "first frame presented at ";
    FILE* in = fdopen(fd, "r");
    if (!in) return -1;
    char line[512];
    while (std::fgets(line, sizeof line, in)) {
        if (std::strncmp(line, kPrefix, sizeof kPrefix - 1) == 0) {
            return std::strtod(line + sizeof kPrefix - 1, nullptr);
        }
        std::fputs(line, stderr);
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    int first = 1;
    const bool firstFrame = argc > 1 && std::strcmp(argv[1], "--first-frame") == 0;
    if (firstFrame) ++first;
    if (argc <= first) {
        std::fprintf(stderr, "usage: measure_process [--first-frame] COMMAND [ARGS...]\n");
        return 2;
    }
    int errors[2] = {-1, -1};
    if (firstFrame && pipe(errors) != 0) return 2;

    const double start = monotonicSeconds();
    pid_t child = fork();
    if (child < 0) return 2;
    if (child == 0) {
        if (firstFrame) {
            setenv("NORVEL_REPORT_FIRST_FRAME", "1", 1);
            dup2(errors[1], STDERR_FILENO);
            close(errors[0]);
            close(errors[1]);
        }
        execvp(argv[first], argv + first);
        _exit(127);
    }

    double seconds = -1;
    if (firstFrame) {
        close(errors[1]);
        const double presented = readFirstFrame(errors[0]);
        if (presented >= 0) seconds = presented - start;
        kill(child, SIGTERM);
    }
    int status = 0;
    struct rusage usage {};
    if (wait4(child, &status, 0, &usage) < 0) return 2;
    if (!firstFrame) seconds = monotonicSeconds() - start;
    const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    std::printf("%.6f %ld %d %.6f\n", seconds, usage.ru_maxrss,
                WIFEXITED(status) ? WEXITSTATUS(status) : 128, cpu);
    return 0;
}
