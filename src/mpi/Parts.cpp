#include "Parts.h"

#include "Ranks.h"

#include <algorithm>
#include <numeric>

std::optional<Parts> Split(const tallir::RowRanges& file1, const tallir::RowRanges& file2, bool names)
{
    const std::uint64_t count = std::uint64_t(ranks::Count()), rank = std::uint64_t(ranks::Rank());
    bool failed = false;
    const auto got = [&failed](std::optional<std::uint64_t> value) {
        failed = failed || !value;
        return value.value_or(0);
    };
    // The rows begin after the names line; each process's share of the bytes after it.
    const auto share = [&](const tallir::RowRanges& file, std::uint64_t start, std::uint64_t r) {
        return r == 0 ? start : r == count ? file.size() : std::max(start, got(file.rowStartFrom(start + (file.size() - start) / count * r)));
    };
    const std::uint64_t start1 = names ? got(file1.rowStartAfter(0, file1.size(), 1)) : 0;
    const std::uint64_t start2 = names ? got(file2.rowStartAfter(0, file2.size(), 1)) : 0;
    Part part1{share(file1, start1, rank), share(file1, start1, rank + 1), 0};
    const std::uint64_t chunk2Begin = share(file2, start2, rank), chunk2End = share(file2, start2, rank + 1);
    const std::uint64_t rows1 = got(file1.countRows(part1.begin, part1.end)), rows2 = got(file2.countRows(chunk2Begin, chunk2End));
    if (ranks::AnyOf(failed))
        return std::nullopt;
    const std::vector<std::uint64_t> counts1 = ranks::AllGather(rows1), counts2 = ranks::AllGather(rows2);
    // Where each part of File 1 begins in rows, and where that row begins in File 2: found by
    // the process whose chunk of File 2 holds it.
    std::vector<std::uint64_t> firstRows(count + 1, 0), starts2(count + 1, 0);
    for (std::uint64_t r = 0; r < count; ++r)
        firstRows[r + 1] = firstRows[r] + counts1[r];
    std::uint64_t chunkFirst = 0;
    for (std::uint64_t r = 0; r < rank; ++r)
        chunkFirst += counts2[r];
    for (std::uint64_t r = 1; r < count; ++r)
        if (firstRows[r] >= chunkFirst && firstRows[r] < chunkFirst + rows2)
            starts2[r] = got(file2.rowStartAfter(chunk2Begin, chunk2End, firstRows[r] - chunkFirst));
        else if (rank == 0 && firstRows[r] >= std::accumulate(counts2.begin(), counts2.end(), std::uint64_t(0)))
            starts2[r] = file2.size();
    starts2[0] = start2;
    ranks::AllMax(starts2);
    if (ranks::AnyOf(failed))
        return std::nullopt;
    starts2[count] = file2.size();
    part1.firstRow = firstRows[rank];
    part1.rows = rows1;
    Parts parts{part1, Part{starts2[rank], starts2[rank + 1], firstRows[rank], 0}, firstRows, 0, start2};
    parts.rows2 = std::accumulate(counts2.begin(), counts2.end(), std::uint64_t(0));
    const std::uint64_t end2 = rank + 1 == count ? parts.rows2 : std::min(parts.rows2, firstRows[rank + 1]);
    parts.part2.rows = end2 > parts.part2.firstRow ? end2 - parts.part2.firstRow : 0;
    return parts;
}
