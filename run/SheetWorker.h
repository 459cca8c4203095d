// Draws the setup sheet's toolpath pictures and runs the machine clock on a thread of its
// own, so the line loop only hands over what each block measured. The blocks go across in
// batches, in order, so pictures and times come out exactly as if made on the run's
// thread; at most three batches exist at a time.
#pragma once

#include "nc/IsoNcAnalyzer.h"
#include "util/HandOff.h"
#include "machine/MachineClock.h"
#include "run/Toolpath.h"

#include <cstdint>
#include <vector>

namespace run {

class SheetWorker {
public:
    // The whole program's picture and all section pictures together stay within these.
    static constexpr std::size_t kPictureBudget = 240 * 1024;
    static constexpr std::size_t kSectionPicturesBudget = 2560 * 1024;
    // The sheet shows this many sections at most; later ones get no picture.
    static constexpr std::size_t kMaxSectionPictures = 200;

    // `draw`: make the pictures; `clock`: a machine clock that is not classic, or null.
    SheetWorker(bool draw, machine::MachineClock* clock) : draw_(draw), clock_(clock) {}
    // A run that ends early leaves its pictures and times unmade.
    SheetWorker(const SheetWorker&) = delete;
    SheetWorker& operator=(const SheetWorker&) = delete;

    // Whether blocks need to be handed over at all.
    bool busy() const { return draw_ || clock_; }

    void startPoint(double x, double y, double z);
    // One interpreted block; `drawn`: it moved or booked a hole, in the tool's `colour`.
    void block(const machine::MachineClock::Block& block, bool drawn, std::uint8_t colour);
    void toolChange();
    // The open section ends; `keep`: it is a section of the sheet and keeps its picture
    // and its machine time.
    void endSection(bool keep);
    // Waits until everything handed over is done. Pictures and times are read after it.
    void finish();

    ToolpathPicture& wholePicture() { return whole_; }
    std::vector<ToolpathPicture>& sectionPictures() { return sections_; }
    // The machine minutes of each kept section, in order, and of the whole run.
    const std::vector<double>& sectionMinutes() const { return sectionMinutes_; }
    double totalMinutes() const { return totalMinutes_; }

private:
    struct Event {
        machine::MachineClock::Block block;
        std::uint8_t colour = 0;
        bool drawn = false;
        enum Kind : std::uint8_t { Block, ToolChange, EndSection, KeepSection } kind = Block;
    };
    static constexpr std::size_t kBatch = 1024;

    void post(const Event& event);
    void apply(const Event& event);
    void applyAll(const std::vector<Event>& batch);
    void keepSectionsWithinBudget();

    const bool draw_;
    machine::MachineClock* const clock_;

    // Only the worker thread touches these (and the clock) until finish() has returned.
    ToolpathPicture whole_{kPictureBudget};
    ToolpathPicture current_{kPictureBudget};
    std::vector<ToolpathPicture> sections_;
    std::size_t sectionsSize_ = 0;  // their estimated sizes together
    std::vector<double> sectionMinutes_;
    double totalMinutes_ = 0.0;

    std::vector<Event> filling_;  // the run's thread fills it
    util::HandOff<std::vector<Event>> handOff_{[this](std::vector<Event>& batch) { applyAll(batch); }};
};

}  // namespace run
