// A start from the desktop: an NC file dropped on the program (or opened with it), no
// console to talk on. The analysis runs with the defaults, as the window would run it,
// its report is opened, and whatever must be said comes in message boxes.
#pragma once

#include "run/Services.h"

#include <functional>
#include <string>
#include <vector>

namespace cli {

// What the desktop start needs of the desktop; the tests give their own.
struct Desktop {
    std::function<bool(const std::string& text, const std::string& caption, bool okCancel, bool error)> messageBox;
    std::function<bool(const std::string& path)> openDocument;
};

// The system's message boxes and document opener.
Desktop systemDesktop();

// Whether `args` (the program's name first) are those of a desktop start: exactly one
// argument, a file rather than an option.
bool isDesktopStart(const std::vector<std::string>& args, bool startedFromDesktop);

// Analyses `ncFile` with the defaults and the user's machine profile if there is one,
// writes the report and sheet in a result folder beside it and opens the report. The exit
// status: 0 when the report was written.
int runFromDesktop(const std::string& ncFile, const std::string& programDir, const Desktop& desktop);

}  // namespace cli
