#include "report/ReportWriter.h"
#include "util/UserError.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// Keeps what it receives; refuses every write once `capacity` bytes are in.
class LimitedFile : public report::OutputFile {
public:
    LimitedFile(std::string& bytes, std::size_t capacity) : bytes_(bytes), capacity_(capacity) {}
    bool write(std::string_view bytes) override
    {
        if (bytes_.size() + bytes.size() > capacity_) {
            return false;
        }
        bytes_.append(bytes);
        return true;
    }
    bool close() override { return true; }

private:
    std::string& bytes_;
    std::size_t capacity_;
};

const util::PrintfFormat& lineFormat()
{
    static const util::PrintfFormat format("X%-8.3f Y%-8.3f\n");
    return format;
}

// Many chunks' worth of rows, each with an entry of one, two or no lines; what a run
// writes for a long program. Half the rows' text goes in escaped by the writer, as NC
// lines do, the rest as HTML already. Every fourth row has its cells put in as pieces,
// as the listing does (an empty entry among them).
void writeRows(report::ReportWriter& writer, int rows)
{
    const report::ReportWriter::Piece rowStart = writer.piece("<tr><td>");
    const report::ReportWriter::Piece textEnd = writer.piece("</td><td>");
    const report::ReportWriter::Piece rowEnd = writer.piece("</td></tr>\r\n");
    report::EntryText entry;
    for (int i = 0; i < rows; ++i) {
        const bool pieces = i % 4 == 0;
        if (pieces) {
            writer.escaped("N" + std::to_string(i) + " & text", rowStart, textEnd);
        } else if (i % 2 == 0) {
            writer.buffer() += "<tr><td>";
            writer.escaped("N" + std::to_string(i) + " & text");
            writer.escaped("");
            writer.buffer() += "</td><td>";
        } else {
            writer.buffer() += "<tr><td>N" + std::to_string(i) + " &amp; text</td><td>";
        }
        entry.clear();
        if (i % 3 != 0) {
            entry.format(lineFormat(), {i * 0.001, -i * 1.5});
        }
        if (i % 3 == 1) {
            entry += "second\n";
        }
        if (pieces) {
            writer.entry(entry, 0, rowEnd);
        } else {
            writer.entry(entry);
            writer.buffer() += "</td></tr>\r\n";
        }
        writer.flushIfFull();
    }
}

std::string expectedRows(int rows)
{
    std::string out;
    for (int i = 0; i < rows; ++i) {
        out += "<tr><td>N" + std::to_string(i) + " &amp; text</td><td>";
        if (i % 3 != 0) {
            lineFormat().append(out, {i * 0.001, -i * 1.5});
            out.pop_back();
        }
        if (i % 3 == 1) {
            out += "<br>\r\nsecond";
        }
        out += "</td></tr>\r\n";
    }
    return out;
}

TEST(ReportWriter, InTheBackgroundWritesWhatItWouldWriteItself)
{
    constexpr int kRows = 40000;  // about 2.5 MB: many chunks
    const std::string expected = expectedRows(kRows);
    for (const bool background : {false, true}) {
        std::string bytes;
        report::ReportWriter writer(std::make_unique<LimitedFile>(bytes, SIZE_MAX), "data.html", "<br>\r\n", background);
        writeRows(writer, kRows);
        writer.close();
        EXPECT_EQ(bytes, expected) << background;
    }
}

TEST(ReportWriter, AFullDiskEndsTheRunAndAnAbandonedWriterKeepsWhatItHad)
{
    for (const bool background : {false, true}) {
        // Full part way: the failure comes out of a later flush or the close.
        std::string bytes;
        EXPECT_THROW(
            {
                report::ReportWriter writer(std::make_unique<LimitedFile>(bytes, 1 << 20), "data.html", "<br>\r\n",
                                         background);
                writeRows(writer, 40000);
                writer.close();
            },
            util::WriteError)
            << background;
        EXPECT_LE(bytes.size(), 1u << 20);
        EXPECT_EQ(bytes, expectedRows(40000).substr(0, bytes.size()));

        // Abandoned (the run stopped on a bad line): everything handed in is written.
        std::string kept;
        {
            report::ReportWriter writer(std::make_unique<LimitedFile>(kept, SIZE_MAX), "data.html", "<br>\r\n",
                                     background);
            writeRows(writer, 10000);
        }
        EXPECT_EQ(kept, expectedRows(10000)) << background;
    }
}

}  // namespace
