// The motion stream as text, one motion a line: what the machine does, in a form a
// reviewer reads in a diff. Golden dumps of it guard every change to what a block means.
#pragma once

#include "nc/Motion.h"

#include <string>

namespace nc {

// "12 feed 0.0000 0.0000 -1.0000 > 10.0000 0.0000 -1.0000 f300.0000" and so on: the NC
// line, the kind and the fields that matter to it, numbers at four decimals.
std::string dumpLine(const Motion& motion);

// Collects a run's stream as dump lines, each ended by "\n".
class MotionDump : public MotionSink {
public:
    void motion(const Motion& motion) override;
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

}  // namespace nc
