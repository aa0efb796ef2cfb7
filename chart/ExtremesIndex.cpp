#include "ExtremesIndex.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr size_t kShift = 4; // log2 of the fan-out
static_assert(size_t{1} << kShift == TExtremesIndex::Fanout);
} // namespace

void TExtremesIndex::put(size_t level, size_t block, double lo, double hi) {
    if (level == FLevels.size()) FLevels.emplace_back();
    std::vector<Range>& l = FLevels[level];
    if (block == l.size()) {
        l.push_back({lo, hi});
    } else {
        Range& r = l[block];
        r.Lowest = std::min(r.Lowest, lo);
        r.Highest = std::max(r.Highest, hi);
    }
}

void TExtremesIndex::Append(const std::vector<double>& values) {
    const double v = values.back();
    if (!std::isfinite(v)) ++FNonFinite;
    const size_t i = values.size() - 1;
    if (i > 0 && v < values[i - 1]) ++FDescents;
    // One entry a level covers the new value; levels grow until one block
    // covers everything.
    for (size_t level = 0;; ++level) {
        put(level, i >> (kShift * (level + 1)), v, v);
        if (FLevels[level].size() <= 1) break;
        if (level + 1 == FLevels.size()) {
            // A second block on the top level: a new level above it, its
            // one entry over everything.
            Range all = FLevels[level][0];
            for (const Range& r : FLevels[level]) {
                all.Lowest = std::min(all.Lowest, r.Lowest);
                all.Highest = std::max(all.Highest, r.Highest);
            }
            put(level + 1, 0, all.Lowest, all.Highest);
            break;
        }
    }
}

void TExtremesIndex::Rebuild(const std::vector<double>& values) {
    Clear();
    FNonFinite = static_cast<size_t>(
        std::count_if(values.begin(), values.end(), [](double v) { return !std::isfinite(v); }));
    for (size_t i = 1; i < values.size(); ++i)
        FDescents += values[i] < values[i - 1];
    if (values.empty()) return;
    for (size_t i = 0; i < values.size(); ++i)
        put(0, i >> kShift, values[i], values[i]);
    for (size_t level = 0; FLevels[level].size() > 1; ++level) {
        const std::vector<Range> below = FLevels[level];
        for (size_t b = 0; b < below.size(); ++b)
            put(level + 1, b >> kShift, below[b].Lowest, below[b].Highest);
    }
}

void TExtremesIndex::Clear() {
    std::vector<std::vector<Range>>().swap(FLevels);
    FNonFinite = 0;
    FDescents = 0;
}

TExtremesIndex::Range TExtremesIndex::Query(const std::vector<double>& values, size_t first,
                                            size_t last) const {
    Range r{values[first], values[first]};
    auto take = [&r](double lo, double hi) {
        r.Lowest = std::min(r.Lowest, lo);
        r.Highest = std::max(r.Highest, hi);
    };
    constexpr size_t mask = Fanout - 1;
    // The ragged ends of the run from the values, the whole blocks between
    // them from the levels above, narrowing level by level.
    size_t a = first, b = last + 1; // [a, b)
    while (a < b && (a & mask) != 0)
        take(values[a], values[a]), ++a;
    while (a < b && (b & mask) != 0)
        --b, take(values[b], values[b]);
    for (size_t level = 0; a < b; ++level) {
        a >>= kShift;
        b >>= kShift;
        const std::vector<Range>& l = FLevels[level];
        while (a < b && (a & mask) != 0)
            take(l[a].Lowest, l[a].Highest), ++a;
        while (a < b && (b & mask) != 0)
            --b, take(l[b].Lowest, l[b].Highest);
    }
    return r;
}

size_t TExtremesIndex::Bytes() const {
    size_t n = 0;
    for (const std::vector<Range>& l : FLevels)
        n += l.capacity() * sizeof(Range);
    return n;
}
