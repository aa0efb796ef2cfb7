#include "CellStore.h"

#include <algorithm>

bool TCellStore::Set(int col, int row, const QString& text) {
    if (col < 0 || row < 0) return false;
    const auto ur = static_cast<size_t>(row), uc = static_cast<size_t>(col);
    if (ur >= FRows.size() || uc >= FRows[ur].size()) {
        if (text.isEmpty()) return false; // an empty cell needs no storage
        if (ur >= FRows.size()) FRows.resize(ur + 1);
        if (uc >= FRows[ur].size()) FRows[ur].resize(uc + 1);
    }
    if (FRows[ur][uc] == text) return false;
    FRows[ur][uc] = text;
    return true;
}

size_t TCellStore::sizeRow(size_t row, size_t first, std::span<const QString> cells) {
    const size_t stored = row < FRows.size() ? FRows[row].size() : 0;
    // Trailing empty cells beyond the stored ones take no storage; every cell
    // before the last one kept lies within the row once it is sized.
    size_t n = cells.size();
    while (n > 0 && first + n - 1 >= stored && cells[n - 1].isEmpty())
        --n;
    if (n == 0) return 0;
    if (row >= FRows.size()) FRows.resize(row + 1);
    auto& r = FRows[row];
    if (r.size() < first + n) r.resize(first + n);
    return n;
}

void TCellStore::ClearColumn(int col) {
    if (col < 0) return;
    const auto uc = static_cast<size_t>(col);
    for (auto& r : FRows)
        if (uc < r.size()) r[uc].clear();
}

void TCellStore::ExchangeRows(int a, int b) {
    if (a < 0 || b < 0 || a == b) return;
    const auto need = static_cast<size_t>(std::max(a, b)) + 1;
    if (FRows.size() < need) FRows.resize(need);
    std::swap(FRows[static_cast<size_t>(a)], FRows[static_cast<size_t>(b)]);
}
