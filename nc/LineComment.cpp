#include "nc/LineComment.h"

namespace nc {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

std::string_view lineComment(std::string_view line)
{
    const std::size_t open = line.find('(');
    if (open == std::string_view::npos) {
        return {};
    }
    std::string_view inside = line.substr(open + 1);
    const std::size_t close = inside.find(')');
    if (close != std::string_view::npos) {
        inside = inside.substr(0, close);
    }
    return trimmed(inside);
}

bool isCommentLine(std::string_view line)
{
    line = trimmed(line);
    return !line.empty() && line.front() == '(';
}

bool isOperatorMessage(std::string_view comment)
{
    comment = trimmed(comment);
    for (const std::string_view word : {std::string_view("MSG"), std::string_view("DEBUG"), std::string_view("PRINT")}) {
        if (comment.size() > word.size() && comment[word.size()] == ',') {
            bool same = true;
            for (std::size_t i = 0; i < word.size(); ++i) {
                same = same && (comment[i] & ~0x20) == word[i];
            }
            if (same) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace nc
