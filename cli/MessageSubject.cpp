#include "cli/MessageSubject.h"

#include "run/Messages.h"
#include "util/File.h"

#include <string_view>

namespace cli {

std::string messageSubject(const std::string& text, const run::RunSettings& settings)
{
    if (text == run::messages::kNcFileMissing) {
        return settings.ncFile;
    }
    if (text == run::messages::kWorkingDirMissing) {
        return settings.workingDir;
    }
    // The overwrite question names the result folder by its name alone.
    const bool overwrite = std::string_view(text).ends_with(run::messages::kResultDirExistsAfter);
    if (overwrite || text == util::kCreateFolderText) {
        return util::joinPath(settings.workingDir, settings.resultDirName);
    }
    return {};
}

}  // namespace cli
