#include "GridAxis.h"

#include <algorithm>

int TGridAxis::ClampExtent(int v) {
    return std::clamp(v, 0, MaxExtent);
}

void TGridAxis::SetCount(int v) {
    FCount = v;
    if (static_cast<int>(FSizes.size()) > v) FSizes.resize(static_cast<size_t>(v));
}

bool TGridAxis::SetFixed(int v) {
    v = std::clamp(v, 0, FCount - 1);
    if (v == FFixed) return false;
    FFixed = v;
    return true;
}

bool TGridAxis::SetDefaultSize(int v) {
    v = ClampExtent(v);
    if (v == FDefaultSize && FSizes.empty()) return false;
    FDefaultSize = v;
    FSizes.clear();
    return true;
}

int TGridAxis::Size(int i) const {
    if (i >= 0 && i < static_cast<int>(FSizes.size()) && FSizes[static_cast<size_t>(i)] >= 0)
        return FSizes[static_cast<size_t>(i)];
    return FDefaultSize;
}

bool TGridAxis::SetSize(int i, int v) {
    if (i < 0 || i >= FCount) return false;
    v = ClampExtent(v);
    if (Size(i) == v) return false;
    if (static_cast<int>(FSizes.size()) <= i) FSizes.resize(static_cast<size_t>(i) + 1, -1);
    FSizes[static_cast<size_t>(i)] = v;
    return true;
}

int TGridAxis::FixedExtent(int line) const {
    int sum = 0;
    for (int i = 0; i < FFixed && sum <= (1 << 24); ++i)
        sum += Extent(i, line);
    return sum;
}

// Stops at the first pixel beyond, so it costs no more than the indices that fit.
bool TGridAxis::Fits(int avail, int line) const {
    int used = 0;
    for (int i = 0; i < FCount; ++i) {
        used += Extent(i, line);
        if (used > avail) return false;
    }
    return true;
}

int TGridAxis::MaxFirst(int client, int line) const {
    const int avail = client - FixedExtent(line);
    int first = FCount - 1;
    int used = 0;
    for (int i = FCount - 1; i >= FFixed; --i) {
        used += Extent(i, line);
        if (used > avail) break;
        first = i;
    }
    return std::max(FFixed, first);
}

int TGridAxis::ClampFirst(int v, int client, int line) const {
    return std::clamp(v, FFixed, std::max(FFixed, MaxFirst(client, line)));
}

std::vector<TGridSpan> TGridAxis::Visible(int client, int line) const {
    std::vector<TGridSpan> out;
    int pos = 0;
    auto take = [&](int from, int to) {
        for (int i = from; i < to && pos < client; ++i) {
            out.push_back({i, pos, Size(i)});
            pos += Extent(i, line);
        }
    };
    take(0, FFixed);
    take(FFirst, FCount);
    return out;
}

int TGridAxis::VisibleCount(int client, int line) const {
    const int avail = client - FixedExtent(line);
    int n = 0, used = 0;
    for (int i = FFirst; i < FCount; ++i) {
        used += Extent(i, line);
        if (used > avail) break;
        ++n;
    }
    return n;
}

int TGridAxis::PosOf(int index, int client, int line) const {
    int pos = -1;
    for (const TGridSpan& s : Visible(client, line))
        if (s.Index == index) pos = s.Pos;
    return pos;
}

int TGridAxis::IndexAt(int pos, int client, int line) const {
    int index = -1;
    for (const TGridSpan& s : Visible(client, line))
        if (pos >= s.Pos && pos < s.Pos + s.Size + line) index = s.Index;
    return index;
}

std::optional<int> TGridAxis::ScrollTarget(int index, int client, int line) const {
    if (index < FFixed || index >= FCount) return std::nullopt;
    if (index < FFirst) return index;
    const int avail = client - FixedExtent(line);
    int used = 0;
    for (int i = FFirst; i <= index && used <= avail; ++i)
        used += Extent(i, line);
    if (used <= avail) return std::nullopt;
    int first = index, sum = Extent(index, line);
    while (first - 1 >= FFixed && sum + Extent(first - 1, line) <= avail)
        sum += Extent(--first, line);
    return first;
}
