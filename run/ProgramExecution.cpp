#include "run/ProgramExecution.h"

#include "util/File.h"
#include "util/Number.h"
#include "util/UserError.h"

#include <algorithm>
#include <filesystem>

namespace run {

namespace {

// "O0010": a program as the control's directory shows it.
std::string programLabel(int number)
{
    std::string digits = util::formatInt(number);
    if (digits.size() < 4) {
        digits.insert(0, 4 - digits.size(), '0');
    }
    return "O" + digits;
}

// A file that holds program `number` by its name: "O1234", "o1234.nc", "1234.NC",
// "O0010.txt" for 10; the extension and the case do not matter.
bool namesProgram(std::string_view name, int number)
{
    const std::string_view stem = name.substr(0, name.find('.'));
    std::size_t i = !stem.empty() && (stem[0] == 'O' || stem[0] == 'o') ? 1 : 0;
    if (i >= stem.size() || stem.size() - i > 8) {
        return false;
    }
    long long value = 0;
    for (; i < stem.size(); ++i) {
        if (stem[i] < '0' || stem[i] > '9') {
            return false;
        }
        value = value * 10 + (stem[i] - '0');
    }
    return value == number;
}

// The program end a line gives, outside its comments: 2, 30 or 99 (the last of them);
// 0 for none.
int endCodeOf(std::string_view line)
{
    int found = 0;
    bool comment = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        comment = c == '(' ? true : c == ')' ? false : comment;
        if (comment || (c != 'M' && c != 'm')) {
            continue;
        }
        std::size_t j = i + 1;
        int code = 0;
        int digits = 0;
        while (j < line.size() && line[j] >= '0' && line[j] <= '9' && digits < 4) {
            code = code * 10 + (line[j] - '0');
            ++digits;
            ++j;
        }
        if (digits > 0 && (code == 2 || code == 30 || code == 99)) {
            found = code;
        }
    }
    return found;
}

// How far the start of a file is read to see whether it stores subprograms ahead of its
// main program.
constexpr std::uint64_t kLookAhead = 256 * 1024;

}  // namespace

ProgramExecution::ProgramExecution(std::unique_ptr<ProgramReader> main, std::vector<std::string> folders,
                                   std::int64_t maxBlocks, nc::Control control)
    : main_(main.get()), current_(main.get()), folders_(std::move(folders)), maxBlocks_(maxBlocks), control_(control)
{
    folders_.insert(folders_.begin(), util::folderOf(main->path()));
    readers_.push_back(std::move(main));
    Frame top;
    top.reader = main_;
    top.programStart = {0, 1};
    frames_.push_back(top);
    startAtTheMainProgram();
}

void ProgramExecution::startAtTheMainProgram()
{
    // A file that stores its subprograms ahead of the main program (each ending in M99)
    // runs from the first program that ends otherwise. Its first program is looked at
    // alone (within its first 256 KiB): only when that one ends in M99 and another follows is
    // the file indexed, so an ordinary program is read once.
    {
        util::FileHandle file(util::openFile(main_->path(), "rb"));
        if (!file) {
            return;
        }
        ProgramReader scan(std::move(file), main_->path(), nullptr);
        std::string line;
        int number = 0;
        int programs = 0;
        int end = 0;
        bool storedAhead = false;
        while (scan.next(line) && scan.place().offset < kLookAhead) {
            if (nc::startsProgram(line, number) && number >= 0) {
                if (++programs == 2) {
                    storedAhead = end == 99;
                    break;
                }
            } else if (const int code = endCodeOf(line); code != 0) {
                end = code;
                if (code != 99) {
                    break;  // the first program ends as a main program does
                }
            }
        }
        if (!storedAhead) {
            return;
        }
    }
    programsIn(*main_);
    if (programEnds_.empty() || programEnds_.front().second != 99) {
        return;
    }
    for (const auto& [place, end] : programEnds_) {
        if (end != 99) {
            main_->seek(place);
            frames_.front().programStart = place;
            return;
        }
    }
}

bool ProgramExecution::next(std::string& line)
{
    for (;;) {
        if (stopped_) {
            return false;
        }
        const bool read = current_->next(line);
        int number = 0;
        const bool programStart = read && nc::startsProgram(line, number);
        if (frames_.size() > 1) {
            // A called program ends at its M99; where that is missing, at the end of its
            // file or where the next program begins.
            if (!read || (programStart && current_->place() != frames_.back().start)) {
                returnToCaller(std::nullopt);
                continue;
            }
            if (!countBlock()) {
                return false;
            }
            reached();
            return true;
        }
        if (!read) {
            return false;
        }
        if (looping_ && !countBlock()) {
            return false;
        }
        // After the program's end, the programs stored behind it are not run.
        if (ended_ && programStart && number >= 0) {
            stopped_ = true;
            return false;
        }
        reached();
        return true;
    }
}

void ProgramExecution::reached()
{
    Frame& frame = frames_.back();
    frame.furthest = std::max(frame.furthest, current_->place().offset + 1);
}

bool ProgramExecution::countBlock()
{
    if (++repeatedBlocks_ <= maxBlocks_) {
        return true;
    }
    stopped_ = true;
    events_.push_back({FlowEvent::Kind::BlockLimit, {}, 0, static_cast<int>(std::min<std::int64_t>(maxBlocks_, 2000000000))});
    return false;
}

bool ProgramExecution::repeatBlock()
{
    return !stopped_ && countBlock();
}

void ProgramExecution::after(const nc::FlowCommand& command, bool ends)
{
    using Kind = nc::FlowCommand::Kind;
    if (ends) {
        // The end ends every call. What follows in the file is read on as the listing
        // always has, up to a program stored behind it; a program that has made calls
        // stores its local subprograms there (M97), and its reading ends here.
        stopped_ = stopped_ || (called_ && !ended_);
        ended_ = true;
        frames_.resize(1);
        macroFrames_ = 0;
        return;
    }
    switch (command.kind) {
    case Kind::Next:
        return;
    case Kind::Return:
        if (command.toSequence && control_ == nc::Control::Haas && frames_.size() > 1) {
            // Haas: M99 P jumps to that N of the program it stands in, without returning.
            if (const auto place = findSequence(*current_, frames_.back().programStart, command.number)) {
                current_->seek(*place);
            } else {
                events_.push_back({FlowEvent::Kind::Missing, "N" + util::formatInt(command.number), 0, 0});
                returnToCaller(std::nullopt);
            }
            return;
        }
        if (frames_.size() == 1) {
            // The main program's M99 starts it again, for ever: it is read once.
            events_.push_back({FlowEvent::Kind::Endless, {}, 0, 0});
            ended_ = true;
            stopped_ = true;
            return;
        }
        returnToCaller(command.toSequence ? std::optional<long long>(command.number) : std::nullopt);
        return;
    case Kind::Call:
    case Kind::MacroCall:
    case Kind::LocalCall:
        call(command);
        return;
    }
}

void ProgramExecution::call(const nc::FlowCommand& command)
{
    called_ = true;
    const bool local = command.kind == nc::FlowCommand::Kind::LocalCall;
    const std::string label =
        command.number < 0 ? std::string("P") : local ? "N" + util::formatInt(command.number) : programLabel(command.number);
    if (command.count <= 0) {
        return;  // L0: called no times
    }
    if (command.number < 0) {
        events_.push_back({FlowEvent::Kind::Missing, label, 0, 0});
        return;
    }
    for (const Frame& f : frames_) {
        if (f.label == label) {
            events_.push_back({FlowEvent::Kind::Recursion, label, 0, 0});
            return;
        }
    }
    // Subprogram calls and macro calls nest each to their own depth.
    const bool macro = command.kind == nc::FlowCommand::Kind::MacroCall;
    const auto depth = std::count_if(frames_.begin() + 1, frames_.end(), [&](const Frame& f) { return f.macro == macro; });
    if (static_cast<std::size_t>(depth) >= kMaxCallDepth) {
        events_.push_back({FlowEvent::Kind::TooDeep, label, 0, 0});
        return;
    }
    Frame frame;
    if (local) {
        const std::optional<LinePlace> place = findSequence(*current_, frames_.back().programStart, command.number);
        if (!place) {
            events_.push_back({FlowEvent::Kind::Missing, label, 0, 0});
            return;
        }
        frame.reader = current_;
        frame.start = *place;
        frame.programStart = frames_.back().programStart;
    } else {
        const std::optional<Found> found = findProgram(command.number);
        if (!found) {
            events_.push_back({FlowEvent::Kind::Missing, label, 0, 0});
            return;
        }
        frame.reader = found->reader;
        frame.start = found->start;
        frame.programStart = found->start;
        frame.number = command.number;
    }
    frame.back = current_->following();
    frame.backReader = current_;
    frame.macro = macro;
    frame.label = label;
    frame.again = std::find(entered_.begin(), entered_.end(), label) != entered_.end();
    if (!frame.again) {
        entered_.push_back(label);
    }
    frame.count = command.count;
    frames_.push_back(frame);
    macroFrames_ += frame.macro ? 1 : 0;
    current_ = frame.reader;
    current_->seek(frame.start);
    events_.push_back({FlowEvent::Kind::Pass, label, 1, frame.count});
}

void ProgramExecution::returnToCaller(std::optional<long long> sequence)
{
    Frame& frame = frames_.back();
    if (frame.pass < frame.count) {
        ++frame.pass;
        frame.again = true;
        current_ = frame.reader;
        current_->seek(frame.start);
        events_.push_back({FlowEvent::Kind::Pass, frame.label, frame.pass, frame.count});
        return;
    }
    LinePlace back = frame.back;
    ProgramReader* reader = frame.backReader;
    macroFrames_ -= frame.macro ? 1 : 0;
    frames_.pop_back();
    if (sequence) {
        // M99 P: back to that sequence number of the caller's program.
        if (const std::optional<LinePlace> place = findSequence(*reader, frames_.back().programStart, *sequence)) {
            back = *place;
        } else {
            events_.push_back({FlowEvent::Kind::Missing, "N" + util::formatInt(*sequence), 0, 0});
        }
    }
    current_ = reader;
    current_->seek(back);
}

ProgramReader* ProgramExecution::openFile(const std::string& path)
{
    for (const auto& reader : readers_) {
        if (reader->path() == path) {
            return reader.get();
        }
    }
    util::FileHandle file(util::openFile(path, "rb"));
    if (!file) {
        return nullptr;
    }
    readers_.push_back(std::make_unique<ProgramReader>(std::move(file), path, nullptr));
    return readers_.back().get();
}

const std::map<int, LinePlace>& ProgramExecution::programsIn(ProgramReader& reader)
{
    const auto known = programIndex_.find(&reader);
    if (known != programIndex_.end()) {
        return known->second;
    }
    // One pass over the file with a reader of its own: where each program begins.
    std::map<int, LinePlace>& index = programIndex_[&reader];
    util::FileHandle file(util::openFile(reader.path(), "rb"));
    if (!file) {
        return index;
    }
    ProgramReader scan(std::move(file), reader.path(), nullptr);
    std::string line;
    int number = 0;
    const bool main = &reader == main_;
    while (scan.next(line)) {
        if (nc::startsProgram(line, number) && number >= 0) {
            index.emplace(number, scan.place());
            if (main) {
                programEnds_.emplace_back(scan.place(), 0);
            }
        } else if (main && !programEnds_.empty()) {
            if (const int end = endCodeOf(line); end != 0) {
                programEnds_.back().second = end;
            }
        }
    }
    return index;
}

std::optional<LinePlace> ProgramExecution::findSequence(ProgramReader& reader, const LinePlace& from, long long n)
{
    const auto key = std::tuple{static_cast<const ProgramReader*>(&reader), from.offset, n};
    if (const auto known = sequences_.find(key); known != sequences_.end()) {
        return known->second;
    }
    std::optional<LinePlace> found;
    if (util::FileHandle file{util::openFile(reader.path(), "rb")}) {
        ProgramReader scan(std::move(file), reader.path(), nullptr);
        scan.seek(from);
        std::string line;
        int number = 0;
        bool body = false;  // past the lines that begin the program (its "%", its O line)
        while (scan.next(line)) {
            const bool programStart = nc::startsProgram(line, number);
            if (body && programStart && number >= 0) {
                break;  // the program ends where the next begins
            }
            body = body || !programStart;
            if (nc::sequenceNumberOf(line) == n) {
                found = scan.place();
                break;
            }
        }
    }
    sequences_.emplace(key, found);
    return found;
}

std::optional<ProgramExecution::Found> ProgramExecution::findProgram(int number)
{
    const auto inMain = programsIn(*main_).find(number);
    if (inMain != programsIn(*main_).end()) {
        return Found{main_, inMain->second};
    }
    for (const std::string& folder : folders_) {
        auto listed = folderFiles_.find(folder);
        if (listed == folderFiles_.end()) {
            std::vector<std::string> names;
            std::error_code error;
            for (std::filesystem::directory_iterator it(util::nativePath(folder.empty() ? "." : folder), error), end;
                 !error && it != end; it.increment(error)) {
                std::error_code typeError;
                if (it->is_regular_file(typeError)) {
                    names.push_back(util::utf8Path(it->path().filename()));
                }
            }
            std::sort(names.begin(), names.end());
            listed = folderFiles_.emplace(folder, std::move(names)).first;
        }
        for (const std::string& name : listed->second) {
            if (!namesProgram(name, number)) {
                continue;
            }
            const std::string path = folder.empty() ? name : util::joinPath(folder, name);
            if (path == main_->path()) {
                continue;  // the main file holds no such program: its name says nothing
            }
            ProgramReader* reader = openFile(path);
            if (!reader) {
                continue;
            }
            // The file's own O line where it has one, else its first line.
            const auto& programs = programsIn(*reader);
            const auto own = programs.find(number);
            return Found{reader, own != programs.end() ? own->second : LinePlace{0, 1}};
        }
    }
    return std::nullopt;
}

bool ProgramExecution::jump(long long n)
{
    looping_ = true;
    const std::optional<LinePlace> place = findSequence(*current_, frames_.back().programStart, n);
    if (!place) {
        return false;
    }
    current_->seek(*place);
    return true;
}

void ProgramExecution::back(const LinePlace& place)
{
    looping_ = true;
    current_->seek(place);
}

bool ProgramExecution::skipPast(const std::function<bool(std::string_view)>& isEnd)
{
    looping_ = true;
    std::string line;
    int number = 0;
    while (current_->next(line)) {
        if (isEnd(line)) {
            return true;
        }
        if (nc::startsProgram(line, number) && number >= 0) {
            current_->seek(current_->place());  // the next program is none of this loop's
            return false;
        }
    }
    return false;
}

void ProgramExecution::close()
{
    for (const auto& reader : readers_) {
        reader->close();
    }
}

}  // namespace run
