#include "Application.h"
#include "ScratchHome.h"

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>

// Sanitizer builds: stop at the first error; leaks are reported too.
extern "C" const char* __asan_default_options() {
    return "halt_on_error=1:detect_leaks=1";
}
extern "C" const char* __ubsan_default_options() {
    return "halt_on_error=1:print_stacktrace=1";
}

namespace {

// Each test begins without the settings an earlier one left (the
// remembered distances): they are the user's between starts, not between
// tests.
class ForgetSettings : public ::testing::EmptyTestEventListener {
public:
    explicit ForgetSettings(QString dir) : FDir(std::move(dir)) {}
    void OnTestStart(const ::testing::TestInfo&) override { QDir(FDir).removeRecursively(); }

private:
    QString FDir;
};

} // namespace

int main(int argc, char** argv) {
    // Widgets need an application object, but no display: the offscreen
    // platform renders into memory.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never the real home: settings, state and caches go to a folder of the
    // test program's own, set before Qt first looks at them.
    QTemporaryDir home;
    if (!home.isValid()) return 1;
    UseScratchHome(home.path());
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(
        new ForgetSettings(home.filePath(QStringLiteral("xdg_config_home/vantel"))));
    TApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
