// The window's choosers, scripted: the answers given in turn, what was asked recorded.
#pragma once

#include "window/Dialogs.h"

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

class FakeFileChooser : public window::NcFileChooser {
public:
    std::deque<std::optional<std::string>> answers;
    std::vector<std::pair<std::string, std::string>> asked;  // preselected file, initial folder
    std::optional<std::string> chooseNcFile(const std::string& file, const std::string& folder) override
    {
        asked.emplace_back(file, folder);
        auto answer = answers.empty() ? std::nullopt : answers.front();
        if (!answers.empty()) {
            answers.pop_front();
        }
        return answer;
    }
};

class FakeFolderBrowser : public util::FolderBrowser {
public:
    std::string answer;
    std::vector<std::string> captions;
    std::string browseFolder(const std::string& caption, const std::string&) override
    {
        captions.push_back(caption);
        return answer;
    }
};

}  // namespace testsupport
