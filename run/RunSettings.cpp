#include "run/RunSettings.h"

#include "checks/Finding.h"

namespace run {

machine::MachineProfile loadMachineProfile(const std::string& path)
{
    return machine::loadMachineProfile(path, {&checks::isCheckCode, checks::checkCodeList()});
}

}  // namespace run
