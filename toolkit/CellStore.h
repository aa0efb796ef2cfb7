#pragma once
#include <QString>
#include <QStringView>
#include <span>
#include <vector>

// The texts of a grid's cells, kept apart from how many rows and columns the
// grid shows: a write beyond them is kept (and shown again once the grid
// grows), never out of bounds. Storage grows only for non-empty texts; reads
// of cells never written, or at negative indices, give "".
class TCellStore {
public:
    // The stored string of a cell, or null for a cell never stored.
    const QString* Find(int col, int row) const {
        if (col < 0 || row < 0 || size_t(row) >= FRows.size()) return nullptr;
        const auto& r = FRows[size_t(row)];
        return size_t(col) < r.size() ? &r[size_t(col)] : nullptr;
    }
    QString Get(int col, int row) const {
        const QString* c = Find(col, row);
        return c ? *c : QString();
    }
    // The text without a copy; valid until the cell is next changed.
    QStringView View(int col, int row) const {
        const QString* c = Find(col, row);
        return c ? QStringView(*c) : QStringView();
    }
    // True when the cell's text changed. Negative indices are ignored.
    bool Set(int col, int row, const QString& text);
    // Stores cells[i] at column firstCol + i of `row`, exactly as Set from the
    // last of them back to the first would, but sizing the row once and moving
    // the strings in. The strings of `cells` are left unspecified. Calls
    // changed(col) for every cell whose text changed. Only sizing the storage
    // can throw, and it does so before any cell changes.
    template <class Changed>
    void StoreRow(int row, int firstCol, std::span<QString> cells, Changed&& changed);
    // Empties a column in every row ever written.
    void ClearColumn(int col);
    // Exchanges the complete contents of two rows (all columns ever written).
    void ExchangeRows(int a, int b);
    // Rows of storage.
    int RowCount() const { return static_cast<int>(FRows.size()); }

private:
    // Room for cells [first, first + n) of `row`, or n = 0 when the trailing
    // empty texts beyond the stored cells leave nothing to store.
    size_t sizeRow(size_t row, size_t first, std::span<const QString> cells);
    std::vector<std::vector<QString>> FRows; // [row][col], grown on write
};

template <class Changed>
void TCellStore::StoreRow(int row, int firstCol, std::span<QString> cells, Changed&& changed) {
    if (row < 0 || firstCol < 0) return;
    const auto first = static_cast<size_t>(firstCol);
    const size_t n = sizeRow(static_cast<size_t>(row), first, cells);
    if (n == 0) return;
    auto& r = FRows[static_cast<size_t>(row)];
    for (size_t i = 0; i < n; ++i) {
        QString& cell = r[first + i];
        if (cell == cells[i]) continue;
        cell = std::move(cells[i]);
        changed(firstCol + static_cast<int>(i));
    }
}
