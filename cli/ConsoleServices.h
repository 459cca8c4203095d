// The platform services on a terminal: messages on standard error, questions answered by
// options or, on a terminal, by the user; no terminal means the cautious answer.
#pragma once

#include "run/RunSettings.h"
#include "run/Services.h"

#include <cstdio>
#include <map>
#include <string>

namespace cli {

struct ConsoleConfig {
    bool yes = false;                   // OK to the overwrite question
    std::map<int, std::string> radius;  // answers to the radius prompt by D number
    bool openReport = false;            // hand the index page to the desktop
    bool quiet = false;
    bool interactive = false;           // standard input and error are a terminal
    std::string codeset = "UTF-8";      // the terminal's encoding
    run::RunSettings settings;          // the run's, for the paths its messages are about
};

class ConsoleServices : public util::MessageBoxService,
                        public run::ErrorDisplay,
                        public run::Shell,
                        public report::RadiusPrompt,
                        public run::Progress {
public:
    ConsoleServices(ConsoleConfig config, std::FILE* in, std::FILE* err);

    Result showMessage(const std::string& text, const std::string& caption, Buttons buttons) override;
    void showError(const std::string& message) override;
    bool openDocument(const std::string& path) override;
    std::optional<std::string> askRadius(int dNumber, const std::string& promptText) override;
    void progress(std::uint64_t bytesRead, std::uint64_t bytesTotal) override;

    run::Services services() { return {*this, *this, *this, *this, *this}; }

    // UTF-8 text to standard error, in the terminal's encoding (on a Windows console,
    // through its wide-character call).
    void print(const std::string& utf8);

private:
    std::optional<std::string> readLine();

    ConsoleConfig config_;
    std::FILE* in_;
    std::FILE* err_;
    int shownPercent_ = -1;
};

}  // namespace cli
