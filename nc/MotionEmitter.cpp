#include "nc/MotionEmitter.h"

#include "nc/LineComment.h"
#include "util/Cp932.h"
#include "util/Kazu.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace nc {

namespace {

// Pecks of one hole at most, so that the count stays a whole number; past it the last
// peck takes the rest of the depth. No consumer's work grows with the count.
constexpr double kMaxPecks = 1e12;

constexpr WordSlot kAxes[] = {WordSlot::X, WordSlot::Y, WordSlot::Z};

// A coordinate the interpreter knows: the words of an axis no block has given hold the
// unknown marker, and arithmetic on huge words can leave no number at all.
bool known(double v)
{
    return std::isfinite(v) && v != kUnknownPosition;
}

bool known(const Point3& p)
{
    return known(p[0]) && known(p[1]) && known(p[2]);
}

// Dwell at the bottom of the hole, for the cycles that have one: P in milliseconds.
bool dwellsAtBottom(int cycleCode)
{
    return cycleCode == 82 || cycleCode == 89;
}

// What the M codes of one line do.
struct MCodes {
    bool spindleSet = false;
    SpindleState spindle = SpindleState::Stopped;
    int coolant = 0;  // 1 on, -1 off, 0 not given
    bool stop = false;
    bool optionalStop = false;
    bool end = false;
};

MCodes mCodesOf(const IsoNcBlock& block)
{
    MCodes codes;
    for (const ReadWord& word : block.readWords()) {
        if (word.letter != 'M' || word.noNumber) {
            continue;
        }
        switch (util::truncToInt(word.value)) {
        case 0: codes.stop = true; break;
        case 1: codes.optionalStop = true; break;
        case 2:
        case 30: codes.end = true; break;
        case 3: codes.spindleSet = true; codes.spindle = SpindleState::Clockwise; break;
        case 4: codes.spindleSet = true; codes.spindle = SpindleState::CounterClockwise; break;
        case 5: codes.spindleSet = true; codes.spindle = SpindleState::Stopped; break;
        case 7:
        case 8: codes.coolant = 1; break;
        case 9: codes.coolant = -1; break;
        default: break;
        }
    }
    return codes;
}

// G10 (data setting) shares its slot with no code of a move: look for it in the words.
bool givesG10(const IsoNcBlock& block)
{
    for (const ReadWord& w : block.readWords()) {
        if (w.letter == 'G' && !w.noNumber && util::truncToInt(w.value) == 10) {
            return true;
        }
    }
    return false;
}

}  // namespace

void MotionEmitter::emit(Motion& motion)
{
    // After a return whose end is not known, a move that leaves the assumed place on such
    // an axis is of unknown length too: a Reference, and the axis is known again. One
    // that keeps to the known axes goes as it is, with the assumption named.
    if (assumed_ != 0 && (motion.kind == MotionKind::Rapid || motion.kind == MotionKind::Feed ||
                          motion.kind == MotionKind::Arc)) {
        std::uint8_t leaves = 0;
        for (std::size_t k = 0; k < 3; ++k) {
            if ((assumed_ & (1u << k)) != 0 && (motion.from[k] != motion.to[k] || motion.kind == MotionKind::Arc)) {
                leaves = static_cast<std::uint8_t>(leaves | (1u << k));
            }
        }
        if (leaves != 0) {
            motion.kind = MotionKind::Reference;
            motion.unknownAxes = leaves;
            assumed_ = static_cast<std::uint8_t>(assumed_ & ~leaves);
        } else {
            motion.unknownAxes = assumed_;
        }
    }
    moved_ = moved_ || motion.kind == MotionKind::Rapid || motion.kind == MotionKind::Feed ||
             motion.kind == MotionKind::Arc;
    motion.line = line_;
    motion.section = section_;
    if (motion.kind != MotionKind::ToolChange) {
        motion.tool = tool_;
    }
    motion.inch = inch_;
    for (MotionSink* sink : sinks_) {
        sink->motion(motion);
    }
}

void MotionEmitter::move(MotionKind kind, const Point3& from, const Point3& to, double feed, int cycleCode)
{
    // A move that goes nowhere is no motion of the machine.
    if (from == to) {
        return;
    }
    // Most motions are moves: one is kept and refilled rather than built anew.
    Motion& m = moveScratch_;
    m.kind = kind;
    m.from = from;
    m.to = to;
    m.feed = feed;
    m.cycleCode = cycleCode;
    m.unknownAxes = 0;
    emit(m);
}

void MotionEmitter::start(double x, double y, double z)
{
    line_ = 0;
    Motion m;
    m.kind = MotionKind::Start;
    m.from = m.to = {x, y, z};
    position_ = m.to;
    topZ_ = z;
    emit(m);
}

void MotionEmitter::fromWhereTheToolIs(const IsoNcAnalyzer& a, Motion& move) const
{
    // The words measured the move from where they put the tool. Where the tool stands
    // apart from them (a hole's return level, an axis a G10 or G52 gave), the move starts
    // where the tool is; an axis the block does not give, or gives incrementally, ends
    // that far apart too, and an arc's centre goes along on the axes of its plane.
    if (position_ == move.from) {
        return;  // as a rule the tool is where the words say
    }
    const bool incremental = a.wordValue(WordSlot::GDistance) == 91.0;
    for (std::size_t k = 0; k < 3; ++k) {
        const double apart = position_[k] - move.from[k];
        if (apart != 0.0 && (!a.isWordGiven(kAxes[k]) || incremental)) {
            // From where the tool is by what the words travel: an axis the block leaves
            // alone stays exactly where it is, however the difference would round (and
            // whatever a word that is no number would make of it).
            const double travel = move.to[k] - move.from[k];
            move.to[k] = position_[k] + (std::isfinite(travel) ? travel : 0.0);
            if (move.kind == MotionKind::Arc && static_cast<std::size_t>(move.axis1) == k) {
                move.centre1 += apart;
            } else if (move.kind == MotionKind::Arc && static_cast<std::size_t>(move.axis2) == k) {
                move.centre2 += apart;
            }
        }
        move.from[k] = position_[k];
    }
}

void MotionEmitter::written(const IsoNcAnalyzer& a)
{
    // How the block is written, for the checks; then what it names.
    written_.text = a.lineView();
    written_.words = &a.readWords();
    written_.scanEnd = a.scanEnd();
    written_.motionCode = a.motionCode();
    written_.cycleOff = a.wordValue(WordSlot::GCycle) == 80.0;
    // One a line: kept and sent again rather than built anew.
    blockScratch_.kind = MotionKind::Block;
    blockScratch_.block = &written_;
    emit(blockScratch_);

    if (a.isWordGiven(WordSlot::O)) {
        Motion m;
        m.kind = MotionKind::ProgramNumber;
        m.number = util::truncToInt(a.wordValue(WordSlot::O));
        emit(m);
    }
    if (a.isWordGiven(WordSlot::GWork)) {
        Motion m;
        m.kind = MotionKind::WorkOffset;
        m.number = util::truncToInt(a.wordValue(WordSlot::GWork));
        emit(m);
    }

    // Most lines hold no comment: they cost one search.
    const std::string_view text = a.lineView();
    const bool parenthesis = text.find('(') != std::string_view::npos;
    const std::string_view comment = parenthesis ? lineComment(text) : std::string_view();
    const bool commentLine = parenthesis && isCommentLine(text);
    // The tool's description: the comment on its T line, or on the comment line right
    // before it (as most programs name the tool), or on the M06 line.
    if (a.isWordGiven(WordSlot::T)) {
        toolComment_ = util::cp932ToUtf8(!comment.empty() ? comment : std::string_view(previousLineComment_));
    }
    if (commentLine) {
        previousLineComment_.assign(comment);
    } else if (!previousLineComment_.empty()) {
        previousLineComment_.clear();
    }
    lineComment_.clear();
    // An empty comment line counts too: after a tool change with no name, "()" says the
    // tool has none.
    if (!comment.empty() || commentLine) {
        lineComment_ = util::cp932ToUtf8(comment);
        Motion m;
        m.kind = MotionKind::Comment;
        m.text = lineComment_;
        m.commentLine = commentLine;
        emit(m);
    }
}

void MotionEmitter::block(const IsoNcAnalyzer& a, std::int64_t line)
{
    line_ = line;
    toolChanged_ = false;
    sectionEnded_ = false;
    // 1. The block as written goes first: the checks judge the writing before its motions.
    written(a);

    // 2. Units first: the block's own positions are in the unit it ends with. Where the
    // tool is does not change with the unit it is told in; the start point, though, is
    // in the program's own unit, the one it moves in first.
    if (a.isInchMode() != inch_) {
        inch_ = a.isInchMode();
        if (moved_) {
            for (double& v : position_) {
                v = inch_ ? v / kMillimetresPerInch : v * kMillimetresPerInch;
            }
        }
        Motion m;
        m.kind = MotionKind::Units;
        emit(m);
    }

    // 3. The line's M codes, every one of them (the M slot keeps only the last). The
    // spindle starts or changes speed and the coolant comes on before the block's move;
    // M05 and M09 act after it, as a control runs them (a feed retract with M05 on its
    // line is cut with the spindle turning).
    MCodes codes;
    if (a.isWordGiven(WordSlot::M)) {
        codes = mCodesOf(a);
    }
    const bool zGiven = a.isWordGiven(WordSlot::Z);
    const SpindleState spindle = codes.spindleSet ? codes.spindle : spindle_;
    const bool spindleChanges =
        spindle != spindle_ || (a.isWordGiven(WordSlot::S) && a.wordValue(WordSlot::S) != speed_);
    const bool stopsAfterTheMove = spindleChanges && spindle == SpindleState::Stopped;
    const auto spindleMotion = [&] {
        spindle_ = spindle;
        speed_ = a.wordValue(WordSlot::S);
        Motion m;
        m.kind = MotionKind::Spindle;
        m.spindle = spindle_;
        m.speed = speed_;
        emit(m);
    };
    const auto coolantMotion = [&] {
        Motion m;
        m.kind = MotionKind::Coolant;
        m.on = codes.coolant > 0;
        emit(m);
    };
    if (spindleChanges && !stopsAfterTheMove) {
        spindleMotion();
    }
    if (codes.coolant > 0) {
        coolantMotion();
    }

    // The cycle's data, and its hole: the holes are the block's moves.
    cycle(a);

    // 4. The move. Inside a cycle the holes are the moves: the straight line the
    // interpreter measures from one hole's bottom to the next is none of the machine's.
    const Motion* measured = a.measuredMove();
    // A block that sets a coordinate system or an offset moves nothing, though the
    // interpreter books the change of its positions as a move.
    const int nonModal = a.isWordGiven(WordSlot::GNonModal) ? util::truncToInt(a.wordValue(WordSlot::GNonModal)) : 0;
    // A G65 block's words are its macro's arguments: nothing moves either.
    const bool setsCoordinates = nonModal == 92 || nonModal == 52 ||
                                 (a.isWordGiven(WordSlot::GOther) &&
                                  (givesG10(a) || flowOf(a).kind == FlowCommand::Kind::MacroCall));
    if (a.isCycleActive()) {
        // Inside a cycle the holes are the moves (made above).
    } else if (nonModal == 28 || nonModal == 30 || nonModal == 53) {
        reference(a, nonModal);
    } else if (setsCoordinates) {
        // Nothing moves. G92 names where the tool is on the axes it gives; the words G10
        // and G52 give are no positions, and the tool stays where it is.
        if (nonModal == 92) {
            for (std::size_t k = 0; k < 3; ++k) {
                if (a.isWordGiven(kAxes[k]) && known(a.wordValue(kAxes[k]))) {
                    position_[k] = a.wordValue(kAxes[k]);
                }
            }
        }
    } else if (measured && measured->kind != MotionKind::Hole &&
               (measured->kind != MotionKind::Arc ||
                (known(measured->from) && known(measured->to) && a.moveLength() != 0.0))) {
        Motion& m = moveScratch_;
        m = *measured;
        fromWhereTheToolIs(a, m);
        m.feed = a.feedRate();
        // A full circle ends where it starts; a line that goes nowhere is no motion.
        if (m.from != m.to || m.kind == MotionKind::Arc) {
            emit(m);
        }
        // An end that is no number leaves the tool where it was, not everywhere after.
        for (std::size_t k = 0; k < 3; ++k) {
            if (std::isfinite(m.to[k])) {
                position_[k] = m.to[k];
            }
        }
    } else if (zGiven && known(a.wordValue(WordSlot::Z))) {
        // A Z given outside a cycle puts the tool where the program says.
        position_[2] = a.wordValue(WordSlot::Z);
    }

    // 5. The spindle stop and coolant off, a dwell, stops and the end, after the move.
    if (stopsAfterTheMove) {
        spindleMotion();
    }
    if (codes.coolant < 0) {
        coolantMotion();
    }

    if (a.dwellSeconds() > 0.0) {
        Motion m;
        m.kind = MotionKind::Dwell;
        m.seconds = a.dwellSeconds();
        emit(m);
    }
    for (const auto& [given, kind] : {std::pair{codes.stop, MotionKind::ProgramStop},
                                      std::pair{codes.optionalStop, MotionKind::OptionalStop},
                                      std::pair{codes.end, MotionKind::ProgramEnd}}) {
        if (given) {
            Motion m;
            m.kind = kind;
            emit(m);
        }
    }

    // 6. The tool section ends at a tool change, and at every line from the program end
    // on; the tool that comes in, after it. The line's last M code decides, as the
    // classic report reads it (the M slot keeps the last).
    const double lastM = a.wordValue(WordSlot::M);
    toolChanged_ = a.isWordGiven(WordSlot::M) && lastM == 6.0;
    programEnded_ = programEnded_ || lastM == 2.0 || lastM == 30.0;
    if (toolChanged_ || programEnded_) {
        endSection(a);
    }
    if (toolChanged_) {
        toolChange(a, codes.spindleSet && codes.spindle != SpindleState::Stopped);
    }
}

void MotionEmitter::cycle(const IsoNcAnalyzer& a)
{
    if (!a.isCycleActive()) {
        cycleActive_ = false;
        cycleDwell_ = 0.0;
        return;
    }
    // The initial level is where Z stands as the cycle begins (and begins again after a
    // G80): G98 returns there.
    const bool cycleActiveBefore = cycleActive_;
    if (!cycleActive_) {
        initialLevel_ = position_[2];
        noRTold_ = false;
        cycleActive_ = true;
    }
    // R and Z are modal cycle data. Under G91 R counts from the initial level and Z from
    // R; the levels are kept, so a later block that gives neither drills the same depth.
    const bool incremental = a.wordValue(WordSlot::GDistance) == 91.0;
    const ReadWord* rWord = nullptr;
    const ReadWord* zWord = nullptr;
    bool positions = false;
    for (const ReadWord& w : a.readWords()) {
        if (w.noNumber) {
            continue;
        }
        rWord = w.letter == 'R' ? &w : rWord;
        zWord = w.letter == 'Z' ? &w : zWord;
        // Haas drills where X or Y is given; Fanuc's reading, where any of X, Y, Z, R is.
        positions = positions || w.letter == 'X' || w.letter == 'Y' ||
                    (control_ == Control::Fanuc && (w.letter == 'Z' || w.letter == 'R'));
    }
    if (rWord && std::isfinite(rWord->value)) {
        rLevel_ = incremental ? initialLevel_ + rWord->value : rWord->value;
        rGiven_ = true;
    }
    if (!cycleActiveBefore && !zWord) {
        bottom_ = kUnknownPosition;  // no bottom given for this cycle yet
    }
    if (zWord && std::isfinite(zWord->value)) {
        bottom_ = incremental ? (rGiven_ ? rLevel_ : initialLevel_) + zWord->value : zWord->value;
    }
    if (a.isWordGiven(WordSlot::P) && flowOf(a).kind == FlowCommand::Kind::Next) {
        cycleDwell_ = a.wordValue(WordSlot::P);
    }
    // A block that gives a position drills; L0 (K0) only keeps the data.
    const std::optional<int> repeats = cycleRepeats(a, control_);
    // The block that names the cycle drills where the tool stands, as Haas documents it.
    positions = positions || a.isWordGiven(WordSlot::GCycle);
    if (!positions || (repeats && *repeats == 0)) {
        return;
    }
    const double x = a.wordValue(WordSlot::X);
    const double y = a.wordValue(WordSlot::Y);
    hole(a, known(x) ? x : position_[0], known(y) ? y : position_[1]);
}

void MotionEmitter::hole(const IsoNcAnalyzer& a, double x, double y)
{
    const int code = util::truncToInt(a.wordValue(WordSlot::GCycle));
    ++sectionHoles_;
    // Without any R the cycle's R is the level 0, the data a control holds before any R;
    // the program is told.
    const double r = rGiven_ ? rLevel_ : 0.0;
    const double bottom = bottom_;
    const double back = a.wordValue(WordSlot::GReturn) == 99.0 ? r : initialLevel_;
    Motion marker;
    marker.kind = MotionKind::Hole;
    marker.cycleCode = code;
    marker.from = position_;
    marker.to = {x, y, bottom};
    marker.level = r;
    marker.feed = a.feedRate();
    marker.noR = !rGiven_ && !noRTold_;
    noRTold_ = noRTold_ || !rGiven_;
    emit(marker);

    for (const double v : {x, y, r, bottom, back, position_[2]}) {
        if (!known(v)) {
            return;  // no drawable, timeable hole: the marker alone
        }
    }
    const double feed = a.feedRate();

    // 1. Over the hole at the height the tool is at, then down to R.
    const Point3 here = position_;
    const Point3 over{x, y, here[2]};
    move(MotionKind::Rapid, here, over, 0.0, code);
    move(MotionKind::Rapid, over, {x, y, r}, 0.0, code);

    // 2. Down to the bottom, in pecks for G73 and G83: G83 backs out to R, G73 a little.
    const double depth = std::fabs(r - bottom);
    const double peck = a.peckDepth();
    const bool pecking = (code == 83 || code == 73) && peck > 0.0;
    const double pecks = pecking ? std::clamp(std::ceil(depth / peck), 1.0, kMaxPecks) : 1.0;
    if (pecks > 1.0) {
        Motion m;
        m.kind = MotionKind::Pecks;
        m.from = {x, y, r};
        m.to = {x, y, bottom};
        m.feed = feed;
        m.peck = peck;
        m.retract = code == 83 ? 0.0 : kPeckReturn;
        m.count = static_cast<std::int64_t>(pecks);
        m.cycleCode = code;
        emit(m);
    } else {
        move(MotionKind::Feed, {x, y, r}, {x, y, bottom}, feed, code);
    }

    // 3. The dwell at the bottom, then back to R (G99) or the initial level (G98):
    // boring cycles feed out, the others retract at the rapid rate.
    if (dwellsAtBottom(code) && cycleDwell_ > 0.0 && std::isfinite(cycleDwell_)) {
        Motion m;
        m.kind = MotionKind::Dwell;
        m.seconds = cycleDwell_ / 1000.0;
        m.cycleCode = code;
        emit(m);
    }
    // Boring cycles feed out, and so do tapping cycles (the spindle reverses at the bottom).
    const bool feedOut = code == 85 || code == 89 || code == 74 || code == 84;
    move(feedOut ? MotionKind::Feed : MotionKind::Rapid, {x, y, bottom}, {x, y, back}, feed, code);
    position_ = {x, y, back};
}

void MotionEmitter::reference(const IsoNcAnalyzer& a, int code)
{
    const bool incremental = a.wordValue(WordSlot::GDistance) == 91.0;
    std::array<const ReadWord*, 3> given{};
    for (const ReadWord& w : a.readWords()) {
        for (std::size_t k = 0; k < 3; ++k) {
            if (!w.noNumber && w.letter == "XYZ"[k] && std::isfinite(w.value)) {
                given[k] = &w;
            }
        }
    }
    // Where the machine's coordinates lie in the program's: the work offset in force,
    // in the program's unit.
    const int work = util::truncToInt(a.wordValue(WordSlot::GWork));
    const std::optional<Point3>& offset = work >= 54 && work <= 59 ? offsets_[static_cast<std::size_t>(work - 54)]
                                                                     : offsets_[0];
    const double unit = inch_ ? 1.0 / kMillimetresPerInch : 1.0;
    const double feed = a.feedRate();
    Point3 target = position_;
    std::uint8_t unknown = 0;
    if (code == 28 && control_ == Control::Haas && !given[0] && !given[1] && !given[2]) {
        // Haas: G28 without an axis sends every axis home (through no intermediate point).
        static const ReadWord kZero{'X', true, false, false, 0.0, {}};
        given = {&kZero, &kZero, &kZero};
    }
    if (code == 53) {
        // Machine coordinates for this block alone; under G91 the block is ignored.
        if (incremental) {
            return;
        }
        for (std::size_t k = 0; k < 3; ++k) {
            if (!given[k]) {
                continue;
            }
            if (offset) {
                target[k] = given[k]->value - (*offset)[k] * unit;
            } else {
                unknown |= static_cast<std::uint8_t>(1u << k);
            }
        }
    } else {
        // G28 and G30 go through the intermediate point the words give (incremental
        // under G91), then to the reference point on those axes.
        Point3 via = position_;
        for (std::size_t k = 0; k < 3; ++k) {
            if (given[k]) {
                via[k] = incremental || given[k]->text.empty() ? position_[k] + given[k]->value : given[k]->value;
            }
        }
        move(MotionKind::Rapid, position_, via, feed);
        position_ = via;
        target = via;
        for (std::size_t k = 0; k < 3; ++k) {
            if (!given[k]) {
                continue;
            }
            if (code == 28 && home_ && offset) {
                target[k] = ((*home_)[k] - (*offset)[k]) * unit;
            } else {
                unknown |= static_cast<std::uint8_t>(1u << k);
            }
        }
    }
    // Known on every axis it moves: a rapid like any other, and those axes are known.
    if (unknown == 0) {
        for (std::size_t k = 0; k < 3; ++k) {
            if (given[k]) {
                assumed_ = static_cast<std::uint8_t>(assumed_ & ~(1u << k));
            }
        }
        move(MotionKind::Rapid, position_, target, feed);
        position_ = target;
        return;
    }
    // Z goes to the top, where the run began; X and Y stay where they were known last.
    for (std::size_t k = 0; k < 3; ++k) {
        if ((unknown & (1u << k)) == 0) {
            continue;
        }
        target[k] = k == 2 ? topZ_ : position_[k];
    }
    Motion m;
    m.kind = MotionKind::Reference;
    m.from = position_;
    m.to = target;
    m.unknownAxes = unknown;
    emit(m);
    position_ = target;
    assumed_ = static_cast<std::uint8_t>(assumed_ | unknown);
}

void MotionEmitter::call(CallEvent event, std::string_view label, int pass, int count)
{
    Motion m;
    m.kind = MotionKind::Call;
    m.call = event;
    m.text = label;
    m.pass = pass;
    m.count = count;
    emit(m);
}

void MotionEmitter::endSection(const IsoNcAnalyzer& a)
{
    sectionEnded_ = true;
    figures_ = a.sectionFigures();
    Motion m;
    m.kind = MotionKind::SectionEnd;
    m.figures = &figures_;
    // A section that took no time (the lines after the program end, an arc code that
    // moved nothing) is none of the sheet's, whatever extents its blocks touched.
    m.keep = figures_.cutLength != 0.0 || figures_.totalTime != 0.0 || sectionHoles_ > 0;
    m.nextTool = util::truncToInt(a.wordValue(WordSlot::T));
    emit(m);
    ++section_;
    tool_ = m.nextTool;
    sectionHoles_ = 0;
}

void MotionEmitter::toolChange(const IsoNcAnalyzer& a, bool spindleStartsToo)
{
    // Named by the comment of its T line (or the comment line before), else of this line.
    description_ = !toolComment_.empty() ? toolComment_ : lineComment_;
    toolComment_.clear();
    Motion change;
    change.kind = MotionKind::ToolChange;
    change.tool = util::truncToInt(a.wordValue(WordSlot::T));
    change.text = description_;
    emit(change);
    // The spindle stops for the change, unless the line of the M06 starts it too: a
    // later M03 with the same speed is a start again.
    if (!spindleStartsToo) {
        spindle_ = SpindleState::Stopped;
    }
}

void MotionEmitter::finish(const IsoNcAnalyzer& a, std::int64_t lastLine)
{
    if (!programEnded_) {
        line_ = lastLine;
        endSection(a);
    }
}

}  // namespace nc
