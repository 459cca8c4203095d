// The classic messages say that a file or folder is missing, or could not be made, but not
// which one: the command line and the desktop start name it under the message. (The
// window keeps the classic boxes as they are: its fields show the paths beside them.)
#pragma once

#include "run/RunSettings.h"

#include <string>

namespace cli {

// The path a classic message is about, "" for a message that names its own or none.
std::string messageSubject(const std::string& text, const run::RunSettings& settings);

}  // namespace cli
