#pragma once

#include <array>
#include <string_view>

namespace bio {

// The heading and the three verdicts of one rhythm, shared by the screen and
// the printed report. Several verdicts hold an ideographic space (U+3000)
// right after the full-width exclamation mark; three end without a full stop.
struct RhythmTexts {
  std::string_view heading;
  std::string_view caution;
  std::string_view high;
  std::string_view low;
};

inline constexpr RhythmTexts kEmotionTexts{
    "心の調子は，",
    "要注意日です！失言とか交通事故に注意すること。追い越しには気をつけてください。",
    "好調です！　気力旺盛，感も冴えています。",
    "低調です！　対人関係に注意しましょう。",
};

inline constexpr RhythmTexts kIntellectTexts{
    "頭脳の調子は，",
    "要注意日です！不注意なミス，忘れ物，ポカに注意すること",
    "好調です！　頭の回転良し，重要な仕事の判断ＯＫ，難問などに挑戦するのも良いでしょう。",
    "低調です！復習や記憶することに重きをおいた勉強をすると良いでしょう。また，頭の休養が必要です。",
};

inline constexpr RhythmTexts kPhysicalTexts{
    "身体の調子は，",
    "要注意日です！風邪や持病に注意すること",
    "好調です！　体力スタミナすべてＯＫです。",
    "低調です！スタミナ欠乏，過激な仕事，運動を避けてください",
};

// Fixed parts of the message lines.
inline constexpr std::string_view kYear = "年";
inline constexpr std::string_view kMonth = "月";
inline constexpr std::string_view kAboutDay = "日について";
inline constexpr std::string_view kGreeting = "さんのバイオリズム診断をします。";
inline constexpr std::string_view kDaysLivedIs = "生まれてから現在日までの日数は";
inline constexpr std::string_view kIs = "です。";

}  // namespace bio
