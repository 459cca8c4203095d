#include "sheet/CellFill.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace sheet {

namespace {

constexpr std::uint64_t kAllBits = ~std::uint64_t{0};

// Cells are fewer than 2^31 either side of the origin (the view asks for cells no smaller
// than that): shifted positive, truncation is the floor.
std::int64_t cellOf(double u)
{
    constexpr double kShift = 0x1p31;
    return static_cast<std::int64_t>(u + kShift) - static_cast<std::int64_t>(kShift);
}

// The lowest bit of each byte of `x` that is all ones.
std::uint64_t fullBytes(std::uint64_t x)
{
    x &= x >> 1;
    x &= x >> 2;
    x &= x >> 4;
    return x & 0x0101010101010101ULL;
}

}  // namespace

CellFill::Row& CellFill::Grid::rowAt(std::int64_t row)
{
    if (rows.empty()) {
        firstRow = row;
        rows.resize(1);
    } else if (row < firstRow) {
        // Room below for as many rows again: a path that works its way down does not move
        // every row each time.
        const std::int64_t added = std::max(firstRow - row, static_cast<std::int64_t>(rows.size()));
        rows.insert(rows.begin(), static_cast<std::size_t>(added), Row{});
        firstRow -= added;
    } else if (row - firstRow >= static_cast<std::int64_t>(rows.size())) {
        rows.resize(static_cast<std::size_t>(row - firstRow + 1));
    }
    return rows[static_cast<std::size_t>(row - firstRow)];
}

std::uint64_t CellFill::Grid::word(std::int64_t row, std::int64_t w) const
{
    if (row < firstRow || row - firstRow >= static_cast<std::int64_t>(rows.size())) {
        return 0;
    }
    const Row& r = rows[static_cast<std::size_t>(row - firstRow)];
    const std::int64_t at = w - r.firstWord;
    return at >= 0 && at < static_cast<std::int64_t>(r.words.size()) ? r.words[static_cast<std::size_t>(at)] : 0;
}

template <typename F>
void CellFill::Grid::setSpan(std::int64_t row, std::int64_t first, std::int64_t last, F&& filled)
{
    constexpr std::uint64_t kAll = ~std::uint64_t{0};
    Row& r = rowAt(row);
    const std::int64_t firstWord = first >> 6;  // floor division, negative columns too
    const std::int64_t lastWord = last >> 6;
    if (r.words.empty()) {
        r.firstWord = firstWord;
        r.words.assign(static_cast<std::size_t>(lastWord - firstWord + 1), 0);
    } else {
        if (firstWord < r.firstWord) {
            const std::int64_t added = std::max(r.firstWord - firstWord, static_cast<std::int64_t>(r.words.size()));
            r.words.insert(r.words.begin(), static_cast<std::size_t>(added), 0);
            r.firstWord -= added;
        }
        const std::int64_t end = r.firstWord + static_cast<std::int64_t>(r.words.size());
        if (lastWord >= end) {
            r.words.resize(static_cast<std::size_t>(lastWord - r.firstWord + 1), 0);
        }
    }
    for (std::int64_t w = firstWord; w <= lastWord; ++w) {
        const int from = w == firstWord ? static_cast<int>(first & 63) : 0;
        const int to = w == lastWord ? static_cast<int>(last & 63) : 63;
        std::uint64_t& word = r.words[static_cast<std::size_t>(w - r.firstWord)];
        const std::uint64_t before = word;
        word |= (kAll >> (63 - to)) & (kAll << from);
        if (word != before) {
            filled(w, before, word);
        }
    }
}

void CellFill::setSpan(std::int64_t row, std::int64_t first, std::int64_t last)
{
    counted_ = false;
    // Most spans lie in one word the row has already: set here, nothing to grow.
    const std::int64_t at = row - cells_.firstRow;
    const std::int64_t w = first >> 6;
    if (at >= 0 && at < static_cast<std::int64_t>(cells_.rows.size()) && w == (last >> 6)) {
        Row& r = cells_.rows[static_cast<std::size_t>(at)];
        const std::int64_t i = w - r.firstWord;
        if (i >= 0 && i < static_cast<std::int64_t>(r.words.size())) {
            constexpr std::uint64_t kAll = ~std::uint64_t{0};
            std::uint64_t& word = r.words[static_cast<std::size_t>(i)];
            const std::uint64_t before = word;
            word |= (kAll >> (63 - (last & 63))) & (kAll << (first & 63));
            if (fullBytes(word) != fullBytes(before)) {
                bandFilled(row >> 3, first, last);
            }
            return;
        }
    }
    cells_.setSpan(row, first, last, [&](std::int64_t changed, std::uint64_t before, std::uint64_t after) {
        if (fullBytes(after) != fullBytes(before)) {
            bandFilled(row >> 3, changed * 64, changed * 64 + 63);
        }
    });
}

bool CellFill::blocksFull(std::int64_t band, std::int64_t firstColumn, std::int64_t lastColumn) const
{
    constexpr std::uint64_t kAll = ~std::uint64_t{0};
    const std::int64_t firstBlock = firstColumn >> 3;
    const std::int64_t lastBlock = lastColumn >> 3;
    for (std::int64_t w = firstBlock >> 6; w <= lastBlock >> 6; ++w) {
        const int from = w == firstBlock >> 6 ? static_cast<int>(firstBlock & 63) : 0;
        const int to = w == lastBlock >> 6 ? static_cast<int>(lastBlock & 63) : 63;
        const std::uint64_t mask = (kAll >> (63 - to)) & (kAll << from);
        if ((full_.word(band, w) & mask) != mask) {
            return false;
        }
    }
    return true;
}

std::size_t CellFill::addSegment(Point a, Point b, double clipMinX, double clipMinY, double clipMaxX, double clipMaxY)
{
    unpack();
    // The part inside the clip box (Liang-Barsky). With both ends inside it is the whole
    // segment: the reckoning would give 0 and 1 exactly, and most segments are so.
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    double t0 = 0.0;
    double t1 = 1.0;
    const bool within = a.x >= clipMinX && a.x <= clipMaxX && b.x >= clipMinX && b.x <= clipMaxX &&
                        a.y >= clipMinY && a.y <= clipMaxY && b.y >= clipMinY && b.y <= clipMaxY;
    const auto inside = [&](double p, double q) {
        if (p == 0.0) {
            return q >= 0.0;
        }
        const double r = q / p;
        if (p < 0.0) {
            if (r > t1) {
                return false;
            }
            t0 = std::max(t0, r);
        } else {
            if (r < t0) {
                return false;
            }
            t1 = std::min(t1, r);
        }
        return true;
    };
    if (!within && (!inside(-dx, a.x - clipMinX) || !inside(dx, clipMaxX - a.x) || !inside(-dy, a.y - clipMinY) ||
                    !inside(dy, clipMaxY - a.y))) {
        return 0;
    }
    double u0 = scaled(a.x + t0 * dx);
    double v0 = scaled(a.y + t0 * dy);
    double u1 = scaled(a.x + t1 * dx);
    double v1 = scaled(a.y + t1 * dy);
    if (v0 > v1) {
        std::swap(u0, u1);
        std::swap(v0, v1);
    }
    const std::int64_t firstRow = cellOf(v0);
    const std::int64_t lastRow = cellOf(v1);
    if (firstRow == lastRow) {
        const std::int64_t first = cellOf(std::min(u0, u1));
        const std::int64_t last = cellOf(std::max(u0, u1));
        if (!full_.rows.empty() && blocksFull(firstRow >> 3, first, last)) {
            return 0;
        }
        setSpan(firstRow, first, last);
        return 1;
    }
    // Within one column (a bore seen from the side): as a run of rows of that column.
    if (const std::int64_t c = cellOf(u0); c == cellOf(u1)) {
        return markBore(c, firstRow, lastRow);
    }
    // A long segment marked just as it was before (a slanted move repeated, there and
    // back) sets no cell that is not set already.
    if (lastRow - firstRow >= kLongRows && markedBefore({u0, v0, u1, v1})) {
        return 0;
    }
    return markRows({u0, v0, u1, v1}, firstRow, lastRow);
}

std::size_t CellFill::markRows(const Segment& s, std::int64_t firstRow, std::int64_t lastRow)
{
    // The columns it crosses within each row: where it crosses the row's edges, and its
    // ends. Band by band of 8 rows: where the blocks the segment crosses are full, nothing
    // to do; elsewhere row by row. A long segment crosses hundreds of rows, and a row's
    // work is a few bits: the rows are made first, a span within the words its row has is
    // set here, and the blocks it may have filled are looked for once a band.
    const double slope = (s.u1 - s.u0) / (s.v1 - s.v0);
    // Where it crosses the lower edge of `row`; rows above the first cross inside the
    // segment up to its end.
    const auto above = [&](std::int64_t row) {
        const double v = static_cast<double>(row);
        return v >= s.v1 ? cellOf(s.u1) : cellOf(s.u0 + (v - s.v0) * slope);
    };
    const auto columnAt = [&](std::int64_t row) { return static_cast<double>(row) <= s.v0 ? cellOf(s.u0) : above(row); };
    counted_ = false;
    cells_.rowAt(firstRow);
    cells_.rowAt(lastRow);
    const bool anyFull = !full_.rows.empty();
    std::size_t marked = 0;
    for (std::int64_t band = firstRow >> 3; band <= lastRow >> 3; ++band) {
        const std::int64_t top = std::min(lastRow, band * 8 + 7);
        const std::int64_t bottom = std::max(firstRow, band * 8);
        std::int64_t low = bottom == firstRow ? columnAt(bottom) : above(bottom);
        const std::int64_t bandHigh = above(top + 1);
        if (anyFull && blocksFull(band, std::min(low, bandHigh), std::max(low, bandHigh))) {
            continue;
        }
        marked += static_cast<std::size_t>(top - bottom + 1);
        std::int64_t leftmost = low;
        std::int64_t rightmost = low;
        std::uint64_t changed = 0;
        Row* row = &cells_.rows[static_cast<std::size_t>(bottom - cells_.firstRow)];
        for (std::int64_t r = bottom; r <= top; ++r, ++row) {
            const std::int64_t high = r == top ? bandHigh : above(r + 1);
            const std::int64_t first = std::min(low, high);
            const std::int64_t last = std::max(low, high);
            low = high;
            leftmost = std::min(leftmost, first);
            rightmost = std::max(rightmost, last);
            const std::int64_t i = (first >> 6) - row->firstWord;
            const std::int64_t j = (last >> 6) - row->firstWord;
            if (i < 0 || j >= static_cast<std::int64_t>(row->words.size())) {
                cells_.setSpan(r, first, last, [&](std::int64_t, std::uint64_t, std::uint64_t) { changed = 1; });
                continue;
            }
            std::uint64_t* words = row->words.data();
            const std::uint64_t lastMask = kAllBits >> (63 - (last & 63));
            const std::uint64_t firstMask = kAllBits << (first & 63);
            if (i == j) {
                const std::uint64_t before = words[i];
                words[i] = before | (firstMask & lastMask);
                changed |= words[i] ^ before;
                continue;
            }
            for (std::int64_t k = i; k <= j; ++k) {
                const std::uint64_t before = words[k];
                words[k] = before | ((k == j ? lastMask : kAllBits) & (k == i ? firstMask : kAllBits));
                changed |= words[k] ^ before;
            }
        }
        if (changed != 0) {
            bandFilled(band, leftmost, rightmost);
        }
    }
    return marked;
}

void CellFill::bandFilled(std::int64_t band, std::int64_t firstColumn, std::int64_t lastColumn)
{
    // The blocks of the band's words in which all eight rows are set, and not yet known so:
    // marked after anything that may have filled one, and found again after doubling.
    const std::int64_t at = band * 8 - cells_.firstRow;
    const bool inGrid = at >= 0 && at + 8 <= static_cast<std::int64_t>(cells_.rows.size());
    for (std::int64_t w = firstColumn >> 6; w <= lastColumn >> 6; ++w) {
        std::uint64_t all = kAllBits;
        // Most words have no byte full in the band's first rows: done at once.
        for (std::int64_t r = 0; r < 8 && fullBytes(all) != 0; ++r) {
            if (inGrid) {
                const Row& row = cells_.rows[static_cast<std::size_t>(at + r)];
                const std::int64_t i = w - row.firstWord;
                all &= i >= 0 && i < static_cast<std::int64_t>(row.words.size()) ? row.words[static_cast<std::size_t>(i)] : 0;
            } else {
                all &= cells_.word(band * 8 + r, w);
            }
        }
        for (std::uint64_t full = fullBytes(all); full != 0; full &= full - 1) {
            const std::int64_t block = w * 8 + std::countr_zero(full) / 8;
            if ((full_.word(band, block >> 6) >> (block & 63) & 1U) == 0) {
                full_.setSpan(band, block, block, [](std::int64_t, std::uint64_t, std::uint64_t) {});
            }
        }
    }
}

std::size_t CellFill::markBore(std::int64_t column, std::int64_t firstRow, std::int64_t lastRow)
{
    if (bores_.empty()) {
        bores_.resize(kRecentBores);
    }
    // Direct-mapped on the column: the pecks of a hole come one after another, the bores
    // of a row of holes at one place in the view within a few holes of each other.
    const auto slotOf = [](std::int64_t c) {
        const auto hash = static_cast<std::uint64_t>(c) * 0x9E3779B97F4A7C15ULL;
        return static_cast<std::size_t>(hash >> (64 - std::bit_width(kRecentBores - 1)));
    };
    Bore& slot = bores_[slotOf(column)];
    const bool joins = slot.column == column && slot.firstRow <= slot.lastRow && firstRow <= slot.lastRow + 1 &&
                       slot.firstRow <= lastRow + 1;
    if (!joins) {
        const std::size_t marked = markColumn(column, firstRow, lastRow);
        // A disjoint bore of the same column stays if it is the longer.
        if (slot.column != column || slot.lastRow - slot.firstRow <= lastRow - firstRow) {
            slot = {column, firstRow, lastRow};
        }
        return marked;
    }
    // Only the rows the marked run does not hold.
    std::size_t marked = 0;
    if (firstRow < slot.firstRow) {
        marked += markColumn(column, firstRow, slot.firstRow - 1);
        slot.firstRow = firstRow;
    }
    if (lastRow > slot.lastRow) {
        marked += markColumn(column, slot.lastRow + 1, lastRow);
        slot.lastRow = lastRow;
    }
    return marked;
}

std::size_t CellFill::markColumn(std::int64_t column, std::int64_t firstRow, std::int64_t lastRow)
{
    // A bit a row: a bore is thousands of rows of one cell each, and the spans' general
    // reckoning was most of its cost.
    counted_ = false;
    cells_.rowAt(firstRow);
    cells_.rowAt(lastRow);
    const std::int64_t w = column >> 6;
    const std::uint64_t bit = std::uint64_t{1} << (column & 63);
    const int byteShift = static_cast<int>(column & 56);
    for (std::int64_t row = firstRow; row <= lastRow; ++row) {
        Row& r = cells_.rows[static_cast<std::size_t>(row - cells_.firstRow)];
        const std::int64_t i = w - r.firstWord;
        if (i < 0 || i >= static_cast<std::int64_t>(r.words.size())) {
            setSpan(row, column, column);  // the row grows to hold the word
            continue;
        }
        std::uint64_t& word = r.words[static_cast<std::size_t>(i)];
        if ((word & bit) == 0) {
            word |= bit;
            if ((word >> byteShift & 0xFF) == 0xFF) {
                bandFilled(row >> 3, column, column);
            }
        }
    }
    return static_cast<std::size_t>(lastRow - firstRow + 1);
}

bool CellFill::markedBefore(const Segment& segment)
{
    if (recent_.empty()) {
        recent_.resize(kRecentSegments);
    }
    // Direct-mapped on the ends' bits: a segment that recurs among its last few neighbours
    // is found; memory stays a few kilobytes however many segments a picture has.
    std::uint64_t hash = 0;
    for (const double d : {segment.u0, segment.v0, segment.u1, segment.v1}) {
        hash = (hash ^ std::bit_cast<std::uint64_t>(d)) * 0x9E3779B97F4A7C15ULL;
    }
    Segment& slot = recent_[hash >> (64 - std::bit_width(kRecentSegments - 1))];
    // Compared as bits: equal bits mark equal cells (the cell size is the fill's own);
    // -0.0 against 0.0 only misses.
    const auto same = [](double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); };
    if (same(slot.u0, segment.u0) && same(slot.v0, segment.v0) && same(slot.u1, segment.u1) &&
        same(slot.v1, segment.v1)) {
        return true;
    }
    slot = segment;
    return false;
}

void CellFill::doubleCell()
{
    unpack();
    // Word by word: the two rows that make a coarse row are or-ed, and each pair of bits
    // becomes one; the blocks known full are found again from the coarse rows.
    const auto halved = [](std::uint64_t x) {
        x = (x | x >> 1) & 0x5555555555555555ULL;
        x = (x | x >> 1) & 0x3333333333333333ULL;
        x = (x | x >> 2) & 0x0F0F0F0F0F0F0F0FULL;
        x = (x | x >> 4) & 0x00FF00FF00FF00FFULL;
        x = (x | x >> 8) & 0x0000FFFF0000FFFFULL;
        return (x | x >> 16) & 0x00000000FFFFFFFFULL;
    };
    CellFill coarser(2 * cell_);
    Grid& grid = coarser.cells_;
    if (!cells_.rows.empty()) {
        const auto endOf = [](const Grid& g) { return g.firstRow + static_cast<std::int64_t>(g.rows.size()); };
        grid.firstRow = cells_.firstRow >> 1;  // floor, below the origin too
        grid.rows.resize(static_cast<std::size_t>(((endOf(cells_) - 1) >> 1) - grid.firstRow + 1));
        for (std::size_t r = 0; r < cells_.rows.size(); ++r) {
            const Row& fine = cells_.rows[r];
            if (fine.words.empty()) {
                continue;
            }
            const std::int64_t row = cells_.firstRow + static_cast<std::int64_t>(r);
            Row& coarse = grid.rows[static_cast<std::size_t>((row >> 1) - grid.firstRow)];
            // Fine word w holds coarse columns 32 w to 32 w + 31: half of coarse word w / 2.
            const std::int64_t first = fine.firstWord >> 1;
            const std::int64_t last = (fine.firstWord + static_cast<std::int64_t>(fine.words.size()) - 1) >> 1;
            if (coarse.words.empty()) {
                coarse.firstWord = first;
                coarse.words.assign(static_cast<std::size_t>(last - first + 1), 0);
            } else {
                const std::int64_t begin = std::min(first, coarse.firstWord);
                const std::int64_t end =
                    std::max(last + 1, coarse.firstWord + static_cast<std::int64_t>(coarse.words.size()));
                coarse.words.insert(coarse.words.begin(), static_cast<std::size_t>(coarse.firstWord - begin), 0);
                coarse.firstWord = begin;
                coarse.words.resize(static_cast<std::size_t>(end - begin), 0);
            }
            for (std::size_t i = 0; i < fine.words.size(); ++i) {
                const std::int64_t w = fine.firstWord + static_cast<std::int64_t>(i);
                const auto at = static_cast<std::size_t>((w >> 1) - coarse.firstWord);
                coarse.words[at] |= halved(fine.words[i]) << (32 * (w & 1));
            }
        }
        // Blocks of 8 by 8 cells set in all 8 rows of a band the rows hold in full.
        for (std::int64_t band = (grid.firstRow + 7) >> 3; band * 8 + 8 <= endOf(grid); ++band) {
            const Row& base = grid.rows[static_cast<std::size_t>(band * 8 - grid.firstRow)];
            if (!base.words.empty()) {
                const std::int64_t end = base.firstWord + static_cast<std::int64_t>(base.words.size());
                coarser.bandFilled(band, base.firstWord * 64, end * 64 - 1);
            }
        }
    }
    coarser.counted_ = false;
    *this = std::move(coarser);
}

bool CellFill::contains(std::int64_t column, std::int64_t row) const
{
    if (packed_) {
        return std::any_of(rectangles_.begin(), rectangles_.end(), [&](const Rectangle& r) {
            return r.firstRow <= row && row <= r.lastRow && r.firstColumn <= column && column <= r.lastColumn;
        });
    }
    return (cells_.word(row, column >> 6) >> (column & 63) & 1U) != 0;
}

std::size_t CellFill::rectangleCount() const
{
    if (!counted_) {
        rectangleCount_ = countRectangles();
        counted_ = true;
    }
    return rectangleCount_;
}

void CellFill::compact()
{
    if (packed_) {
        return;
    }
    rectangles_ = rectangles();
    rectangles_.shrink_to_fit();
    rectangleCount_ = rectangles_.size();
    counted_ = true;
    cells_ = {};
    recent_ = {};
    bores_ = {};
    full_ = {};
    packed_ = true;
}

CellFill CellFill::unpacked() const
{
    CellFill cells(cell_);
    for (const Rectangle& r : rectangles_) {
        for (std::int64_t row = r.firstRow; row <= r.lastRow; ++row) {
            cells.cells_.setSpan(row, r.firstColumn, r.lastColumn, [](std::int64_t, std::uint64_t, std::uint64_t) {});
        }
    }
    return cells;
}

void CellFill::unpack()
{
    if (!packed_) {
        return;
    }
    // The blocks known to be full are not brought back: they only let marking skip work,
    // and compacting has always dropped them.
    cells_ = unpacked().cells_;
    rectangles_ = {};
    packed_ = false;
}

bool CellFill::sameCells(const Row& a, const Row& b)
{
    if (a.firstWord == b.firstWord && a.words.size() == b.words.size()) {
        return a.words == b.words;
    }
    // Placed apart: the words both have must agree and those only one has be empty. Only
    // the words the rows hold are read (an empty row beside one far from the origin).
    const auto end = [](const Row& row) { return row.firstWord + static_cast<std::int64_t>(row.words.size()); };
    const std::int64_t first = std::max(a.firstWord, b.firstWord);
    const std::int64_t last = std::min(end(a), end(b));
    const auto emptyOutside = [&](const Row& row) {
        for (std::size_t i = 0; i < row.words.size(); ++i) {
            const std::int64_t w = row.firstWord + static_cast<std::int64_t>(i);
            if ((w < first || w >= last) && row.words[i] != 0) {
                return false;
            }
        }
        return true;
    };
    for (std::int64_t w = first; w < last; ++w) {
        if (a.words[static_cast<std::size_t>(w - a.firstWord)] != b.words[static_cast<std::size_t>(w - b.firstWord)]) {
            return false;
        }
    }
    return emptyOutside(a) && emptyOutside(b);
}

std::size_t CellFill::countRectangles() const
{
    if (packed_) {
        return rectangles_.size();
    }
    // A rectangle begins at each run that the row below does not have just the same. The
    // bores of a row of holes are columns of rows alike: a row like the one below begins
    // nothing, and is passed over without its runs (thousands of them, row after row,
    // were most of the cost of a picture of holes).
    std::size_t count = 0;
    std::vector<std::pair<std::int64_t, std::int64_t>> below;
    std::vector<std::pair<std::int64_t, std::int64_t>> runs;
    for (std::size_t r = 0; r < cells_.rows.size(); ++r) {
        const Row& row = cells_.rows[r];
        if (r > 0 && sameCells(row, cells_.rows[r - 1])) {
            continue;  // `below` holds this row's runs too
        }
        runs.clear();
        forEachRunOf(row, [&](std::int64_t a, std::int64_t b) { runs.emplace_back(a, b); });
        // Both lists run left to right: each run of this row looked for among those below.
        std::size_t j = 0;
        for (const auto& run : runs) {
            while (j < below.size() && below[j].first < run.first) {
                ++j;
            }
            count += j < below.size() && below[j] == run ? 0 : 1;
        }
        below.swap(runs);
    }
    return count;
}

std::vector<CellFill::Rectangle> CellFill::rectangles() const
{
    if (packed_) {
        return rectangles_;
    }
    // Each run goes on as a rectangle while the rows above have the very same run; a row
    // just like the one below (a bore's) goes on with all of them, without its runs.
    std::vector<Rectangle> done;
    // The rows are dense (an empty row ends every rectangle), so what is open is always
    // the runs of the row just below, each with the row it began on.
    std::vector<Rectangle> open;
    std::vector<Rectangle> next;
    for (std::size_t r = 0; r < cells_.rows.size(); ++r) {
        const std::int64_t rowIndex = cells_.firstRow + static_cast<std::int64_t>(r);
        if (!open.empty() && sameCells(cells_.rows[r], cells_.rows[r - 1])) {
            continue;
        }
        next.clear();
        forEachRunOf(cells_.rows[r], [&](std::int64_t first, std::int64_t last) {
            next.push_back({rowIndex, rowIndex, first, last});
        });
        if (next.empty() && open.empty()) {
            continue;
        }
        std::size_t j = 0;
        for (Rectangle& o : open) {
            o.lastRow = rowIndex - 1;
            while (j < next.size() && next[j].firstColumn < o.firstColumn) {
                ++j;
            }
            if (j < next.size() && next[j].firstColumn == o.firstColumn && next[j].lastColumn == o.lastColumn) {
                next[j].firstRow = o.firstRow;
            } else {
                done.push_back(o);
            }
        }
        open.swap(next);
    }
    for (Rectangle& o : open) {
        o.lastRow = cells_.firstRow + static_cast<std::int64_t>(cells_.rows.size()) - 1;
        done.push_back(o);
    }
    return done;
}

}  // namespace sheet
