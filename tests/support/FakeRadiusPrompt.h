// A radius prompt that answers from a script and records every question.
#pragma once

#include "report/EntryState.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

class FakeRadiusPrompt : public report::RadiusPrompt {
public:
    // Answers in order; when the script runs out, the prompt counts as closed.
    std::deque<std::optional<std::string>> answers;
    std::vector<std::string> asked;  // prompt texts, in order

    std::optional<std::string> askRadius(int /*dNumber*/, const std::string& promptText) override
    {
        asked.push_back(promptText);
        if (answers.empty()) {
            return std::nullopt;
        }
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

}  // namespace testsupport
