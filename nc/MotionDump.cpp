#include "nc/MotionDump.h"

#include "util/Number.h"

namespace nc {

namespace {

void number(std::string& out, double value)
{
    // -0 and 0 are the same place; a dump must not differ on which one a sum gave.
    out += util::formatFixed(value == 0.0 ? 0.0 : value, 4);
}

void point(std::string& out, const Point3& p)
{
    for (std::size_t k = 0; k < 3; ++k) {
        out += ' ';
        number(out, p[k]);
    }
}

void fromTo(std::string& out, const Motion& m)
{
    point(out, m.from);
    out += " >";
    point(out, m.to);
}

void field(std::string& out, const char* name, double value)
{
    out += ' ';
    out += name;
    number(out, value);
}

void quoted(std::string& out, std::string_view text)
{
    out += " \"";
    out += text;
    out += '"';
}

const char* kindName(MotionKind kind)
{
    switch (kind) {
    case MotionKind::Start: return "start";
    case MotionKind::Rapid: return "rapid";
    case MotionKind::Feed: return "feed";
    case MotionKind::Arc: return "arc";
    case MotionKind::Hole: return "hole";
    case MotionKind::Pecks: return "pecks";
    case MotionKind::Dwell: return "dwell";
    case MotionKind::ToolChange: return "tool-change";
    case MotionKind::Spindle: return "spindle";
    case MotionKind::Coolant: return "coolant";
    case MotionKind::ProgramStop: return "stop";
    case MotionKind::OptionalStop: return "optional-stop";
    case MotionKind::ProgramEnd: return "end";
    case MotionKind::Units: return "units";
    case MotionKind::SectionEnd: return "section-end";
    case MotionKind::Block: return "block";
    case MotionKind::Comment: return "comment";
    case MotionKind::WorkOffset: return "work-offset";
    case MotionKind::ProgramNumber: return "program";
    case MotionKind::Call: return "call";
    case MotionKind::Reference: return "reference";
    }
    return "?";
}

}  // namespace

std::string dumpLine(const Motion& m)
{
    std::string out = util::formatInt(m.line);
    out += ' ';
    out += kindName(m.kind);
    switch (m.kind) {
    case MotionKind::Start:
        point(out, m.to);
        break;
    case MotionKind::Rapid:
        fromTo(out, m);
        break;
    case MotionKind::Feed:
        fromTo(out, m);
        field(out, "f", m.feed);
        break;
    case MotionKind::Arc:
        fromTo(out, m);
        out += m.angleIncreasing ? " ccw " : " cw ";
        out += "XYZ"[m.axis1];
        out += "XYZ"[m.axis2];
        field(out, "c", m.centre1);
        out += ',';
        number(out, m.centre2);
        field(out, "r", m.radius);
        field(out, "a", m.startAngle);
        out += '+';
        number(out, m.sweep);
        field(out, "f", m.feed);
        break;
    case MotionKind::Hole:
        point(out, m.to);
        out += " G";
        out += util::formatInt(m.cycleCode);
        field(out, "r", m.level);
        field(out, "f", m.feed);
        out += m.noR ? " no-r" : "";
        break;
    case MotionKind::Pecks:
        fromTo(out, m);
        field(out, "f", m.feed);
        out += ' ';
        out += util::formatInt(m.count);
        field(out, "x", m.peck);
        if (m.retract != 0.0) {
            field(out, "back", m.retract);
        }
        break;
    case MotionKind::Dwell:
        field(out, "s", m.seconds);
        break;
    case MotionKind::ToolChange:
        out += " T";
        out += util::formatInt(m.tool);
        quoted(out, m.text);
        break;
    case MotionKind::Spindle:
        out += m.spindle == SpindleState::Stopped ? " stop" : m.spindle == SpindleState::Clockwise ? " cw" : " ccw";
        field(out, "s", m.speed);
        break;
    case MotionKind::Coolant:
        out += m.on ? " on" : " off";
        break;
    case MotionKind::Units:
        out += m.inch ? " inch" : " mm";
        break;
    case MotionKind::SectionEnd:
        out += ' ';
        out += util::formatInt(m.section);
        out += m.keep ? " kept" : "";
        out += " next T";
        out += util::formatInt(m.nextTool);
        break;
    case MotionKind::Block:
        break;
    case MotionKind::Comment:
        out += m.commentLine ? " line" : "";
        quoted(out, m.text);
        break;
    case MotionKind::WorkOffset:
        out += " G";
        out += util::formatInt(m.number);
        break;
    case MotionKind::ProgramNumber:
        out += " O";
        out += util::formatInt(m.number);
        break;
    case MotionKind::Reference:
        fromTo(out, m);
        out += " assumed ";
        for (int k = 0; k < 3; ++k) {
            if ((m.unknownAxes & (1u << k)) != 0) {
                out += "XYZ"[k];
            }
        }
        break;
    case MotionKind::Call: {
        static constexpr const char* kEvents[] = {"pass", "missing", "recursion", "too-deep", "endless", "block-limit"};
        out += ' ';
        out += kEvents[static_cast<int>(m.call)];
        quoted(out, m.text);
        if (m.call == CallEvent::Pass || m.call == CallEvent::BlockLimit) {
            out += ' ';
            out += util::formatInt(m.pass);
            out += '/';
            out += util::formatInt(m.count);
        }
        break;
    }
    case MotionKind::ProgramStop:
    case MotionKind::OptionalStop:
    case MotionKind::ProgramEnd:
        break;
    }
    if (m.unknownAxes != 0 && m.kind != MotionKind::Reference) {
        out += " at-assumed ";
        for (int k = 0; k < 3; ++k) {
            if ((m.unknownAxes & (1u << k)) != 0) {
                out += "XYZ"[k];
            }
        }
    }
    if (m.cycleCode != 0 && m.kind != MotionKind::Hole) {
        out += " G";
        out += util::formatInt(m.cycleCode);
    }
    return out;
}

void MotionDump::motion(const Motion& m)
{
    // Every line has its block: the dump shows what the lines make the machine do.
    if (m.kind == MotionKind::Block) {
        return;
    }
    text_ += dumpLine(m);
    text_ += '\n';
}

}  // namespace nc
