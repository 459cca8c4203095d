// Draws the setup sheet's toolpath pictures on a thread of its own, so the line loop only
// hands over what each block measured. The moves go across in batches, in order, so the
// pictures come out exactly as if drawn on the run's thread; at most three batches exist
// at a time.
#pragma once

#include "nc/IsoNcAnalyzer.h"
#include "run/Toolpath.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace run {

class PictureBuilder {
public:
    // The whole program's picture and all section pictures together stay within these.
    static constexpr std::size_t kPictureBudget = 240 * 1024;
    static constexpr std::size_t kSectionPicturesBudget = 2560 * 1024;
    // The sheet shows this many sections at most; later ones get no picture.
    static constexpr std::size_t kMaxSectionPictures = 200;

    PictureBuilder() = default;
    // Stops the drawing thread: a run that ends early leaves its pictures undrawn.
    ~PictureBuilder();
    PictureBuilder(const PictureBuilder&) = delete;
    PictureBuilder& operator=(const PictureBuilder&) = delete;

    void startPoint(double x, double y, double z);
    void draw(const nc::BlockMotion& motion, std::uint8_t colour);
    // The open section ends; `keep`: it is a section of the sheet and keeps its picture.
    void endSection(bool keep);
    // Waits until everything handed over is drawn. The pictures are read after it.
    void finish();

    ToolpathPicture& wholePicture() { return whole_; }
    std::vector<ToolpathPicture>& sectionPictures() { return sections_; }

private:
    struct Event {
        nc::BlockMotion motion;
        std::uint8_t colour = 0;
        enum Kind : std::uint8_t { Draw, EndSection, KeepSection } kind = Draw;
    };
    static constexpr std::size_t kBatch = 1024;

    void post(const Event& event);
    void handOver();
    void work();
    void apply(const Event& event);
    void keepSectionsWithinBudget();

    // Only the drawing thread touches these until finish() has returned.
    ToolpathPicture whole_{kPictureBudget};
    ToolpathPicture current_{kPictureBudget};
    std::vector<ToolpathPicture> sections_;
    std::size_t sectionsSize_ = 0;  // their estimated sizes together

    std::vector<Event> filling_;  // the run's thread fills it
    std::vector<Event> ready_;    // handed over, not yet taken
    bool hasReady_ = false;
    bool done_ = false;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::thread thread_;
};

}  // namespace run
