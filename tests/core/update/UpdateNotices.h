#pragma once

// The notices an update run gives for the package the update-run rig publishes
// (20041114-017, flavour i32), written out as the user reads them.
namespace velmora::test {

inline constexpr const char* kPackage = "20041114-017-i32.exe";
inline constexpr const char* kUpdated = "ウィルス定義を 2004/11/14 rev. 17 に更新しました.";
inline constexpr const char* kDownloadFailed =
    "ウィルス定義ファイル(20041114-017-i32.exe)のダウンロードに失敗しました.";
inline constexpr const char* kMismatch =
    "ウィルス定義ファイル(20041114-017-i32.exe)が不正のため、更新を中止しました.(MD5hashエラー).";
inline constexpr const char* kFailure1 =
    "ウィルス定義の更新に失敗しました. 再実行してください(1). ";
inline constexpr const char* kFailure2 =
    "ウィルス定義の更新に失敗しました. 再実行してください(2). ";

}  // namespace velmora::test
