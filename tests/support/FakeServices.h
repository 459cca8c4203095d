// Scripted platform services for runs in tests: every call is recorded, every question
// answered as told.
#pragma once

#include "run/Services.h"
#include "tests/support/FakeRadiusPrompt.h"

#include <deque>
#include <string>
#include <vector>

namespace testsupport {

struct ShownMessage {
    std::string text;
    std::string caption;
    util::MessageBoxService::Buttons buttons;
    bool operator==(const ShownMessage&) const = default;
};

class FakeMessageBox : public util::MessageBoxService {
public:
    std::vector<ShownMessage> shown;
    std::deque<Result> answers;  // for OK/Cancel boxes; OK when the script runs out

    Result showMessage(const std::string& text, const std::string& caption, Buttons buttons) override
    {
        shown.push_back({text, caption, buttons});
        if (buttons == Buttons::Ok || answers.empty()) {
            return Result::Ok;
        }
        const Result answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

class FakeErrorDisplay : public run::ErrorDisplay {
public:
    std::vector<std::string> shown;
    void showError(const std::string& message) override { shown.push_back(message); }
};

class FakeShell : public run::Shell {
public:
    std::vector<std::string> opened;
    bool answer = true;
    bool openDocument(const std::string& path) override
    {
        opened.push_back(path);
        return answer;
    }
};

class FakeProgress : public run::Progress {
public:
    std::uint64_t lastRead = 0;
    std::uint64_t lastTotal = 0;
    int calls = 0;
    void progress(std::uint64_t bytesRead, std::uint64_t bytesTotal) override
    {
        lastRead = bytesRead;
        lastTotal = bytesTotal;
        ++calls;
    }
};

struct FakeServices {
    FakeMessageBox messages;
    FakeErrorDisplay errors;
    FakeShell shell;
    FakeRadiusPrompt radius;
    FakeProgress progress;

    run::Services services() { return {messages, errors, shell, radius, progress}; }
};

}  // namespace testsupport
