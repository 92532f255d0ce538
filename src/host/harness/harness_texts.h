// The key-log harness's own texts: its boxes, dialog filters and result
// lines. The boxes and filters are Japanese, as the harness always was; the
// files it writes are UTF-8.
#pragma once

namespace harness_text {

inline constexpr const char* kReplayRunning = "キーログ再生中です";
inline constexpr const char* kNoTableToRecord =
    "キーテーブルが存在しないため、ログを取る事が出来ません";
inline constexpr const char* kNoTableToReplay =
    "キーテーブルが存在しないため、ログを実行する事が出来ません";
inline constexpr const char* kReplayFinished = "キーログ通しが終了しました";
inline constexpr const char* kAskLogPowerOff = "OFFしようとしています 「AC」をログに保存しますか？";
inline constexpr const char* kLogWriteFailed = "ログファイルに保存できませんでした";

// Dialog filters: pairs of description and pattern, "|"-separated, ending "||".
inline constexpr const char* kKeyTableFilter = "キーテーブル (*.keys)|*.keys|すべて (*.*)|*.*||";
inline constexpr const char* kKeyTableDefaultName = "Qm417.keys";
inline constexpr const char* kKeyTableExtension = "keys";
inline constexpr const char* kRecordFilter = "ログ (*.log)|*.log|すべて (*.*)|*.*||";
inline constexpr const char* kReplayFilter =
    "ログ (*.log)|*.log|ログリスト(*.lst)|*.lst|すべて (*.*)|*.*||";
inline constexpr const char* kLogExtension = "log";

// The popup menu's key-log commands.
inline constexpr const char* kMenuRecord = "キーログ記録";
inline constexpr const char* kMenuReplay = "キーログ再生";
inline constexpr const char* kMenuFastReplay = "キーログ高速再生";
inline constexpr const char* kMenuStepReplay = "キーログステップ再生";

// Result file.
inline constexpr const char* kReplayStart = "再生開始日時：%4d/%02d/%02d   %02d:%02d:%02d\n\n";
inline constexpr const char* kReplayEnd = "再生終了日時：%4d/%02d/%02d   %02d:%02d:%02d\n\n";

}  // namespace harness_text
