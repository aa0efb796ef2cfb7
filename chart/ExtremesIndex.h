#pragma once
#include <cstddef>
#include <vector>

// The lowest and highest of any run of a growing list of values, without
// walking the run. Each level keeps the extremes of blocks of 16 entries of
// the level below (the values themselves below the first), so a query reads
// at most 30 entries a level and an append touches one entry a level.
// Memory: 16 bytes per 16 values at the first level, 1/15 more above it,
// about 1.07 bytes per value. Non-finite values are only counted: a list
// holding any is not to be asked (the extremes of NaN mean nothing).
class TExtremesIndex {
public:
    struct Range {
        double Lowest, Highest;
    };

    // values holds the new value as its last element.
    void Append(const std::vector<double>& values);
    // After any change other than an append.
    void Rebuild(const std::vector<double>& values);
    void Clear();

    // Extremes of values[first..last], both included, 0 <= first <= last <
    // values.size(), of the values the index was last told of.
    Range Query(const std::vector<double>& values, size_t first, size_t last) const;

    size_t NonFinite() const { return FNonFinite; }
    // No value is below the one before it (NaN aside, which is counted).
    bool Ascending() const { return FDescents == 0; }
    // Bytes held beyond the values themselves.
    size_t Bytes() const;

    static constexpr size_t Fanout = 16;

private:
    void put(size_t level, size_t block, double lo, double hi);
    std::vector<std::vector<Range>> FLevels;
    size_t FNonFinite = 0;
    size_t FDescents = 0;
};
