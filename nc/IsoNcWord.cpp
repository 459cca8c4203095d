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

}  // namespace nc
