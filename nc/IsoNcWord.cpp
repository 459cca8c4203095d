#include "nc/IsoNcWord.h"

namespace nc {

WordSlot gCodeSlot(int code)
{
    switch (code) {
    case 4: case 28: case 29: case 30: case 52: case 53: case 92:
        return WordSlot::GNonModal;
    case 0: case 1: case 2: case 3: case 33:
        return WordSlot::GMotion;
    case 17: case 18: case 19:
        return WordSlot::GPlane;
    case 90: case 91:
        return WordSlot::GDistance;
    case 40: case 41: case 42:
        return WordSlot::GCutterComp;
    case 43: case 44: case 49:
        return WordSlot::GLengthComp;
    case 73: case 74: case 76: case 80: case 81: case 82: case 83: case 84: case 85: case 86:
    case 87: case 88: case 89:
        return WordSlot::GCycle;
    case 98: case 99:
        return WordSlot::GReturn;
    case 54: case 55: case 56: case 57: case 58: case 59:
        return WordSlot::GWork;
    default:
        return WordSlot::GOther;
    }
}

bool isIntegerLetter(char letter)
{
    switch (letter) {
    case 'A': case 'B': case 'C': case 'I': case 'J': case 'K': case 'Q': case 'R': case 'X':
    case 'Y': case 'Z':
        return false;
    default:
        return true;
    }
}

bool letterSlot(char letter, WordSlot& slot)
{
    switch (letter) {
    case 'O': slot = WordSlot::O; return true;
    case 'N': slot = WordSlot::N; return true;
    case 'X': slot = WordSlot::X; return true;
    case 'Y': slot = WordSlot::Y; return true;
    case 'Z': slot = WordSlot::Z; return true;
    case 'A': slot = WordSlot::A; return true;
    case 'B': slot = WordSlot::B; return true;
    case 'C': slot = WordSlot::C; return true;
    case 'I': slot = WordSlot::I; return true;
    case 'J': slot = WordSlot::J; return true;
    case 'K': slot = WordSlot::K; return true;
    case 'F': slot = WordSlot::F; return true;
    case 'S': slot = WordSlot::S; return true;
    case 'T': slot = WordSlot::T; return true;
    case 'H': slot = WordSlot::H; return true;
    case 'D': slot = WordSlot::D; return true;
    case 'M': slot = WordSlot::M; return true;
    case 'R': slot = WordSlot::R; return true;
    case 'Q': slot = WordSlot::Q; return true;
    case 'P': slot = WordSlot::P; return true;
    case 'L': slot = WordSlot::L; return true;
    default: return false;
    }
}

}  // namespace nc
