// Readable names for table-driven cases that carry no name of their own.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace testsupport {

template <typename Param>
std::string caseIndexName(const testing::TestParamInfo<Param>& info)
{
    return "Case" + std::to_string(info.index);
}

}  // namespace testsupport
