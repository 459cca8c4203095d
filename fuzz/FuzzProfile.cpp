// Fuzz target: arbitrary text as a machine profile. Only the profile's own error may
// escape, and a profile that reads keeps to its ranges.
#include "machine/MachineProfile.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        const machine::MachineProfile p = machine::parseMachineProfile(text, "fuzz.toml", {});
        const auto positive = [](double v) { return std::isfinite(v) && v > 0.0; };
        if ((p.maxFeed && !positive(*p.maxFeed)) || !(p.toolChange >= 0.0) || !(p.junctionDeviation >= 0.0)) {
            std::abort();
        }
        if (p.rapid) {
            for (const double v : *p.rapid) {
                if (!positive(v)) {
                    std::abort();
                }
            }
        }
    } catch (const machine::MachineProfileError&) {
    }
    return 0;
}
