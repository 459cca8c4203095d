// A filled area for the dense parts of a picture: the square cells a path passes through.
// Cells well under a pixel keep every drawn point near the path and the path inside what
// is drawn, however many moves there are.
#pragma once

#include "sheet/PathSimplifier.h"

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sheet {

class CellFill {
public:
    using Point = PathSimplifier::Point;

    // Cells of `cell` program units, the grid anchored at 0.
    explicit CellFill(double cell) : cell_(cell)
    {
        // Dividing by a power of two and multiplying by its inverse round the same exact
        // value: the same bits, for a multiplication's time.
        int exponent = 0;
        if (std::frexp(cell, &exponent) == 0.5) {
            inverse_ = 1.0 / cell;
        }
    }

    double cell() const { return cell_; }
    bool empty() const { return packed_ ? rectangles_.empty() : cells_.rows.empty(); }

    // Marks every cell the segment passes through, as far as it runs inside `clip` (a
    // rapid from far away marks only what can be seen). Returns the rows it had to mark:
    // blocks of 8 by 8 cells that are full already cost nothing.
    std::size_t addSegment(Point a, Point b, double clipMinX, double clipMinY, double clipMaxX, double clipMaxY);
    // Each cell becomes the cell of twice the size that holds it.
    void doubleCell();
    // Keeps the cells only as their rectangles (a picture that is done): what the picture's
    // budget counts, so two hundred kept pictures hold what their budget allows, not the
    // rows of bits of their cells. Marking more brings the rows back as they were.
    void compact();
    bool contains(std::int64_t column, std::int64_t row) const;

    // The filled cells row by row, bottom up, as runs [first, last] of columns.
    template <typename F>
    void forEachRun(F&& f) const
    {
        if (packed_) {
            unpacked().forEachRun(f);
            return;
        }
        for (std::size_t r = 0; r < cells_.rows.size(); ++r) {
            const std::int64_t rowIndex = cells_.firstRow + static_cast<std::int64_t>(r);
            forEachRunOf(cells_.rows[r], [&](std::int64_t first, std::int64_t last) { f(rowIndex, first, last); });
        }
    }
    // How many rectangles `rectangles()` gives, kept until the cells change.
    std::size_t rectangleCount() const;

    // The filled cells as rectangles: a run that repeats on the next rows joins them, so a
    // solid block is one rectangle.
    struct Rectangle {
        std::int64_t firstRow, lastRow, firstColumn, lastColumn;
    };
    std::vector<Rectangle> rectangles() const;

private:
    struct Row {
        std::int64_t firstWord = 0;
        std::vector<std::uint64_t> words;
    };
    // Rows of bits, dense from firstRow: a path fills most rows between its ends.
    struct Grid {
        std::int64_t firstRow = 0;
        std::vector<Row> rows;
        Row& rowAt(std::int64_t row);
        // The word of 64 columns from 64 * w on in a row: 0 where nothing is set.
        std::uint64_t word(std::int64_t row, std::int64_t w) const;
        // Sets the bits; calls `filled(w, before, after)` for each word that changed.
        template <typename F>
        void setSpan(std::int64_t row, std::int64_t first, std::int64_t last, F&& filled);
    };
    void setSpan(std::int64_t row, std::int64_t first, std::int64_t last);
    // The runs [first, last] of one row, left to right.
    template <typename F>
    static void forEachRunOf(const Row& row, F&& f)
    {
        constexpr std::uint64_t kAll = ~std::uint64_t{0};
        std::int64_t runStart = 0;
        bool inRun = false;
        // One word past the last ends a run that reaches it.
        for (std::size_t w = 0; w <= row.words.size(); ++w) {
            const std::uint64_t word = w < row.words.size() ? row.words[w] : 0;
            const std::int64_t base = (row.firstWord + static_cast<std::int64_t>(w)) * 64;
            int pos = 0;
            while (pos < 64) {
                const std::uint64_t from = word >> pos;  // the bits from pos on
                if (!inRun) {
                    if (from == 0) {
                        break;
                    }
                    pos += std::countr_zero(from);
                    runStart = base + pos;
                    inRun = true;
                } else {
                    const std::uint64_t clear = ~from & (kAll >> pos);
                    if (clear == 0) {
                        break;  // the run goes on into the next word
                    }
                    pos += std::countr_zero(clear);
                    f(runStart, base + pos - 1);
                    inRun = false;
                }
            }
        }
    }
    // Whether two rows hold the same cells, however their words are placed.
    static bool sameCells(const Row& a, const Row& b);
    // What rectangles().size() gives, without making them.
    std::size_t countRectangles() const;
    // The rows of bits of packed cells, as compact() found them.
    CellFill unpacked() const;
    void unpack();
    // Marks the blocks of 8 by 8 cells of band `band` (rows 8 band to 8 band + 7) in the
    // words of columns `firstColumn` to `lastColumn` that are full now.
    void bandFilled(std::int64_t band, std::int64_t firstColumn, std::int64_t lastColumn);
    bool blocksFull(std::int64_t band, std::int64_t firstColumn, std::int64_t lastColumn) const;

    // The scaled ends of a segment (the lower end first), as marking sees them.
    struct Segment {
        double u0 = 0.0, v0 = 0.0, u1 = 0.0, v1 = 0.0;
    };
    static constexpr std::int64_t kLongRows = 32;
    static constexpr std::size_t kRecentSegments = 64;
    // Whether `segment` is among the recent long segments marked; remembers it if not.
    bool markedBefore(const Segment& segment);
    // Rows [firstRow, lastRow] of a segment (scaled, its rows those of its ends), band by band.
    std::size_t markRows(const Segment& segment, std::int64_t firstRow, std::int64_t lastRow);
    // Rows of one column marked in full (the bores of holes seen from the side), a few
    // columns at a time: a bore, or a peck of one, within rows marked already is no work.
    struct Bore {
        std::int64_t column = 0, firstRow = 1, lastRow = 0;  // empty
    };
    static constexpr std::size_t kRecentBores = 256;
    std::size_t markBore(std::int64_t column, std::int64_t firstRow, std::int64_t lastRow);
    std::size_t markColumn(std::int64_t column, std::int64_t firstRow, std::int64_t lastRow);

    // A coordinate in cells.
    double scaled(double x) const { return inverse_ != 0.0 ? x * inverse_ : x / cell_; }

    double cell_;
    double inverse_ = 0.0;  // 1 / cell_ when that is exact
    std::vector<Segment> recent_;  // empty until a long segment comes
    std::vector<Bore> bores_;      // empty until a bore comes
    mutable std::size_t rectangleCount_ = 0;
    mutable bool counted_ = true;  // rectangleCount_ is that of the cells now
    Grid cells_;
    Grid full_;  // a bit for each block of 8 rows by 8 columns whose cells are all set
    bool packed_ = false;  // the cells are only rectangles_ (cells_ is empty)
    std::vector<Rectangle> rectangles_;
};

}  // namespace sheet
