#include "checks/CheckText.h"

#include "util/Cp932.h"
#include "util/Number.h"

namespace checks {

std::string quoted(std::string_view text)
{
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t next = end + (util::isCp932LeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1);
        if (next > kShownBytes) {
            return "「" + util::shownText(util::cp932ToUtf8(text.substr(0, end))) + "…」";
        }
        end = next;
    }
    return "「" + util::shownText(util::cp932ToUtf8(text)) + "」";
}

std::string decimal(double value)
{
    return util::formatGeneral(value);
}

std::string word(const nc::ReadWord& w)
{
    return std::string(1, w.letter) + util::shownText(util::cp932ToUtf8(w.text), kShownBytes);
}

}  // namespace checks
