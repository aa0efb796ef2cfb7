// The command line's press: how long `vantel --lap` takes from its start to
// the running program's answer, over many runs. Run by measure_command.sh
// against a running program on a private session bus.
//
//   probe_command VANTEL [RUNS] [OPTION]
//
// Prints one line per run (ms) and then the median and the 99th percentile.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

double Now() {
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// The nearest-rank percentile of sorted samples.
double Percentile(const std::vector<double>& sorted, double p) {
    size_t rank = size_t(p / 100.0 * double(sorted.size()) + 0.999999);
    rank = std::clamp<size_t>(rank, 1, sorted.size());
    return sorted[rank - 1];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: probe_command VANTEL [RUNS] [OPTION]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::atoi(argv[2]) : 50;
    const std::string option = argc > 3 ? argv[3] : "--lap";
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const double start = Now();
        const pid_t child = fork();
        if (child == 0) {
            execl(argv[1], argv[1], option.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "run %d failed (status %d)\n", i + 1, status);
            return 1;
        }
        ms.push_back(Now() - start);
        std::printf("run %d: %.2f ms\n", i + 1, ms.back());
        usleep(20000); // laps of a time of their own
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%s start to answer: median %.2f ms, p99 %.2f ms, min %.2f, max %.2f (%d runs)\n",
                option.c_str(), Percentile(ms, 50), Percentile(ms, 99), ms.front(), ms.back(),
                runs);
    return 0;
}
