// The run's messages and captions (UTF-8).
#pragma once

namespace run::messages {

inline constexpr const char* kNcFileMissing = "NCファイルは存在しません！";
inline constexpr const char* kNcFileMissingCaption = "ExistsFile";
inline constexpr const char* kWorkingDirMissing = "作業フォルダは存在しません！";
inline constexpr const char* kDirectoryCaption = "ExistsDirectory";
inline constexpr const char* kResultDirExistsBefore = "「";
inline constexpr const char* kResultDirExistsAfter = "」フォルダが存在します\nこの中の結果ファイルは書き換えられます？！";

}  // namespace run::messages
