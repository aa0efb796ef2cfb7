#include "ErrorReport.h"

#include <cstdio>
#include <utility>

namespace ErrorReport {

namespace {
Reporter installed = nullptr;
} // namespace

Reporter SetReporter(Reporter reporter) {
    return std::exchange(installed, reporter);
}

void Report(const std::exception& e) {
    if (installed)
        installed(e);
    else
        std::fprintf(stderr, "%s\n", e.what());
}

} // namespace ErrorReport
