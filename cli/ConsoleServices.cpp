#include "cli/ConsoleServices.h"

#include "cli/MessageSubject.h"
#include "cli/System.h"
#include "util/Cp932.h"

namespace cli {

namespace {

constexpr std::uint64_t kProgressFrom = 8u << 20;  // files smaller than this finish too fast to watch

}  // namespace

ConsoleServices::ConsoleServices(ConsoleConfig config, std::FILE* in, std::FILE* err)
    : config_(std::move(config)), in_(in), err_(err)
{
}

void ConsoleServices::print(const std::string& utf8)
{
    system::write(err_, util::fromUtf8(utf8, config_.codeset));
}

std::optional<std::string> ConsoleServices::readLine()
{
    std::string line;
    int c = 0;
    while ((c = std::fgetc(in_)) != EOF && c != '\n') {
        line += static_cast<char>(c);
    }
    if (c == EOF && line.empty()) {
        return std::nullopt;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

util::MessageBoxService::Result ConsoleServices::showMessage(const std::string& text, const std::string& caption,
                                                             Buttons buttons)
{
    // A question that --yes has answered already needs no words.
    if (buttons == Buttons::OkCancel && config_.yes) {
        return Result::Ok;
    }
    const std::string subject = messageSubject(text, config_.settings);
    print(caption + ": " + text + "\n" + (subject.empty() ? "" : "  " + subject + "\n"));
    if (buttons == Buttons::Ok) {
        return Result::Ok;
    }
    if (!config_.interactive) {
        print("(no terminal to answer: cancelled; --yes answers OK)\n");
        return Result::Cancel;
    }
    print("OK? [y/N] ");
    const auto answer = readLine();
    return answer && (*answer == "y" || *answer == "Y" || *answer == "yes") ? Result::Ok : Result::Cancel;
}

void ConsoleServices::showError(const std::string& message)
{
    print("Brelvane: " + message + "\n");
}

bool ConsoleServices::openDocument(const std::string& path)
{
    if (!config_.openReport) {
        return false;
    }
    return system::openDocument(path);
}

std::optional<std::string> ConsoleServices::askRadius(int dNumber, const std::string& promptText)
{
    if (const auto it = config_.radius.find(dNumber); it != config_.radius.end()) {
        return it->second;
    }
    if (!config_.interactive) {
        return std::nullopt;
    }
    print(promptText + " ");
    return readLine();
}

void ConsoleServices::progress(std::uint64_t bytesRead, std::uint64_t bytesTotal)
{
    if (config_.quiet || !config_.interactive || bytesTotal < kProgressFrom) {
        return;
    }
    const int percent = static_cast<int>(bytesRead * 100 / bytesTotal);
    if (percent == shownPercent_) {
        return;
    }
    shownPercent_ = percent;
    std::string bar = "\r[";
    for (int i = 0; i < 40; ++i) {
        bar += i < percent * 40 / 100 ? '#' : ' ';
    }
    bar += "] " + std::to_string(percent) + "%";
    if (percent >= 100) {
        bar += "\n";
    }
    print(bar);
}

}  // namespace cli
