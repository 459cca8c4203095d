// What a run asks of its front end: the platform services, free of any toolkit.
#pragma once

#include "nc/Motion.h"
#include "report/EntryState.h"
#include "util/MessageBoxService.h"

#include <cstdint>
#include <string>

namespace run {

// The shell's "open" of a document with the desktop's handler.
class Shell {
public:
    virtual ~Shell() = default;
    // False when the desktop has no handler for it.
    virtual bool openDocument(const std::string& path) = 0;
};

// The application's error display: the finished message (UTF-8, "." already added),
// the application title as caption, the error icon and OK.
class ErrorDisplay {
public:
    virtual ~ErrorDisplay() = default;
    virtual void showError(const std::string& message) = 0;
};

// How far the run has read the NC file.
class Progress {
public:
    virtual ~Progress() = default;
    virtual void progress(std::uint64_t bytesRead, std::uint64_t bytesTotal) = 0;
};

struct Services {
    util::MessageBoxService& messages;
    ErrorDisplay& errors;
    Shell& shell;
    report::RadiusPrompt& radius;
    Progress& progress;
    // Sees every motion of the run as it is emitted, on the run's thread (the tests'
    // golden dumps); none by default.
    nc::MotionSink* motions = nullptr;
};

}  // namespace run
