#pragma once
// The command line the build just made, for the tests that run it as a user would.

#include <string>

namespace testsupport {

inline const std::string kCli = BRELVANE_CLI;

}  // namespace testsupport
