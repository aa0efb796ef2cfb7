// Runs the fuzz entry once on every file named (directories: every file in
// them), so that the ordinary build exercises it on the seed inputs.
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {
bool runFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return false;
    }
    const QByteArray bytes = f.readAll();
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()),
                           size_t(bytes.size()));
    return true;
}
} // namespace

int main(int argc, char** argv) {
    int runs = 0;
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (QFileInfo(arg).isDir()) {
            QDirIterator it(arg, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                ok = runFile(it.next()) && ok;
                ++runs;
            }
        } else {
            ok = runFile(arg) && ok;
            ++runs;
        }
    }
    std::printf("%d inputs replayed\n", runs);
    return ok && runs > 0 ? 0 : 1;
}
