// The window's own texts (UTF-8), the same in every front end.
#pragma once

namespace window::messages {

inline constexpr const char* kApplicationTitle = "Brelvane";
inline constexpr const char* kFolderBrowserCaption = "作業フォルダを指定して下さい。ここに結果ファイルが作成されます";
inline constexpr const char* kDropPrompt = "NCデータをドロップ";
inline constexpr const char* kNoHandler = "レポートを開くプログラムが見つかりません。次のファイルをブラウザで開いて下さい:\n";
inline constexpr const char* kProgressLabel = "解析中…";
inline constexpr const char* kCheckErrorsBefore = "チェック: エラー ";
inline constexpr const char* kCheckErrorsAfter = " 件";

}  // namespace window::messages
