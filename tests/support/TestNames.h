// Readable names for table-driven cases that carry no name of their own.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace testsupport {

inline std::string caseIndexName(const testing::TestParamInfo<auto>& info)
{
    return "Case" + std::to_string(info.index);
}

}  // namespace testsupport
