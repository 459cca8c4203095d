// The window's own texts (UTF-8).
#pragma once

namespace app::messages {

inline constexpr const char* kApplicationTitle = "Brelvane";
inline constexpr const char* kFolderBrowserCaption = "作業フォルダを指定して下さい。ここに結果ファイルが作成されます";
inline constexpr const char* kDropPrompt = "NCデータをドロップ";
inline constexpr const char* kNoHandler = "レポートを開くプログラムが見つかりません。次のファイルをブラウザで開いて下さい:\n";
inline constexpr const char* kProgressLabel = "解析中…";
inline constexpr const char* kCheckErrors = "チェック: エラー %1 件";

}  // namespace app::messages
