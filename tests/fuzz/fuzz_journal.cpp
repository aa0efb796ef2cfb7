// Fuzz entry over the run journal's reader. Any byte string is a journal file:
// reading it must end with either an error and no records, or records that
// survive being written as lines and read again unchanged; and every line on
// its own decodes to a record that encodes back to the same line.
#include "RunJournal.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

#define CHECK(cond)                                                                                \
    do {                                                                                           \
        if (!(cond)) fail(#cond);                                                                  \
    } while (0)

bool same(const RunJournal::TRecord& a, const RunJournal::TRecord& b) {
    return a.Kind == b.Kind && a.Fields == b.Fields;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const RunJournal::TContents c = RunJournal::Read(bytes);
    if (!c.Error.isEmpty()) {
        CHECK(c.Records.empty());
    } else {
        CHECK(!c.Records.empty());
        CHECK(c.Records.front().Kind == RunJournal::HeaderKind);
        CHECK(qsizetype(c.Records.size()) + c.SkippedLines <= bytes.count('\n') + 1);
        QByteArray again;
        for (const RunJournal::TRecord& r : c.Records)
            again += RunJournal::EncodeLine(r);
        const RunJournal::TContents d = RunJournal::Read(again);
        CHECK(d.Error.isEmpty() && d.SkippedLines == 0);
        CHECK(d.Records.size() == c.Records.size());
        for (size_t i = 0; i < c.Records.size(); ++i)
            CHECK(same(c.Records[i], d.Records[i]));
    }
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0) end = bytes.size();
        const QByteArrayView line = bytes.sliced(start, end - start);
        if (const auto r = RunJournal::DecodeLine(line))
            CHECK(RunJournal::EncodeLine(*r) == line.toByteArray() + '\n');
        start = end + 1;
    }
    return 0;
}
