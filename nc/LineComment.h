// The comment of an NC line, as the sheet and the section record name operations and tools.
#pragma once

#include <string_view>

namespace nc {

// The text inside the line's first parentheses (to the end of the line when they are not
// closed), without blanks around it; empty when there is none.
std::string_view lineComment(std::string_view line);

// The line is a comment and nothing else (blanks aside).
bool isCommentLine(std::string_view line);

// A comment that is a message to the operator ("MSG, …", "DEBUG, …", "PRINT, …"): it names
// neither a tool nor an operation.
bool isOperatorMessage(std::string_view comment);

}  // namespace nc
