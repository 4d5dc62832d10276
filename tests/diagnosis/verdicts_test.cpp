#include "diagnosis/verdicts.h"

#include <gtest/gtest.h>

#include <string>

#include "diagnosis/messages.h"
#include "diagnosis/printouts.h"

namespace bio {
namespace {

// One letter per whole position: C caution, H high, L low, - no verdict.
struct RuleCase {
  Rhythm rhythm;
  const char* letters;
};

char Letter(const RhythmTexts& texts, std::optional<std::string_view> verdict) {
  if (!verdict) return '-';
  if (*verdict == texts.caution) return 'C';
  if (*verdict == texts.high) return 'H';
  if (*verdict == texts.low) return 'L';
  return '?';
}

TEST(Verdicts, EveryWholePosition) {
  //                     0         1         2         3
  //                     0123456789012345678901234567890123
  const RuleCase cases[] = {
      {Rhythm::kEmotion, "CCHHHHHHHHHHHCCCLLLLLLLLLLLCC"},
      {Rhythm::kIntellect, "CCHHHHHHHHHHHHHHCCLLLLLLLLLLLLLLCC"},
      {Rhythm::kPhysical, "CCHHHHHHHHHCCLLLLLLLLLCC"},
  };
  for (const auto& c : cases) {
    std::string letters;
    for (std::size_t p = 0; p < std::char_traits<char>::length(c.letters); ++p) {
      letters += Letter(TextsOf(c.rhythm), Verdict(c.rhythm, double(p)));
    }
    EXPECT_EQ(letters, c.letters) << int(c.rhythm);
  }
}

// The printed report reads each day exactly as the screen does.
TEST(Verdicts, ReportMatchesTheScreenForEveryWholePosition) {
  for (int p = 0; p <= 32; ++p) {
    SharedState s;
    s.PersonIndex = 1;
    s.EmotionPosition[1] = static_cast<std::int16_t>(p % 28);
    s.IntellectPosition = p;
    s.PhysicalPosition = p % 23;
    s.SavedEmotionPosition = p % 28;
    s.SavedIntellectPosition = p;
    s.SavedPhysicalPosition = static_cast<std::int16_t>(p % 23);
    const std::vector<std::string> screen = DailyMessageLines(s);
    const std::vector<std::string> report = DailyReportLines(s);
    EXPECT_EQ(std::vector(report.begin() + 2, report.end()),
              std::vector(screen.begin() + 3, screen.end()))
        << p;
  }
}

TEST(Verdicts, FractionalPositionsFollowTheRangesAlone) {
  EXPECT_EQ(Verdict(Rhythm::kPhysical, 0.5), std::nullopt);
  EXPECT_EQ(Verdict(Rhythm::kPhysical, 1.5), std::nullopt);
  EXPECT_EQ(Verdict(Rhythm::kPhysical, 2.5), kPhysicalTexts.high);
  EXPECT_EQ(Verdict(Rhythm::kPhysical, 12.5), kPhysicalTexts.low);
  EXPECT_EQ(Verdict(Rhythm::kIntellect, 16.5), std::nullopt);
  EXPECT_EQ(Verdict(Rhythm::kIntellect, 32.5), std::nullopt);
}

// The texts mix full-width punctuation and the ideographic space; compare
// code points, since the eye cannot tell a U+3000 from two ASCII blanks.
TEST(Verdicts, TextsHoldTheirExactPunctuation) {
  const std::string ideographic_space = "\u3000";
  int with_space = 0;
  for (Rhythm r : {Rhythm::kEmotion, Rhythm::kIntellect, Rhythm::kPhysical}) {
    const RhythmTexts& t = TextsOf(r);
    for (std::string_view text : {t.heading, t.caution, t.high, t.low}) {
      EXPECT_EQ(text.find(' '), std::string_view::npos) << text;
      if (text.find(ideographic_space) != std::string_view::npos) {
        ++with_space;
        EXPECT_EQ(text.find("！\u3000"), text.find(ideographic_space) - 3) << text;
      }
    }
    EXPECT_TRUE(t.heading.ends_with("は\uFF0C"));
  }
  EXPECT_EQ(with_space, 4);
  // Every text, code point by code point.
  const struct {
    std::string_view text, code_points;
  } exact[] = {
      {kEmotionTexts.heading, "\u5FC3\u306E\u8ABF\u5B50\u306F\uFF0C"},
      {kEmotionTexts.caution,
       "\u8981\u6CE8\u610F\u65E5\u3067\u3059\uFF01\u5931\u8A00\u3068\u304B\u4EA4\u901A"
       "\u4E8B\u6545\u306B\u6CE8\u610F\u3059\u308B\u3053\u3068\u3002\u8FFD\u3044\u8D8A"
       "\u3057\u306B\u306F\u6C17\u3092\u3064\u3051\u3066\u304F\u3060\u3055\u3044\u3002"},
      {kEmotionTexts.high,
       "\u597D\u8ABF\u3067\u3059\uFF01\u3000\u6C17\u529B\u65FA\u76DB\uFF0C\u611F\u3082"
       "\u51B4\u3048\u3066\u3044\u307E\u3059\u3002"},
      {kEmotionTexts.low,
       "\u4F4E\u8ABF\u3067\u3059\uFF01\u3000\u5BFE\u4EBA\u95A2\u4FC2\u306B\u6CE8\u610F"
       "\u3057\u307E\u3057\u3087\u3046\u3002"},
      {kIntellectTexts.heading, "\u982D\u8133\u306E\u8ABF\u5B50\u306F\uFF0C"},
      {kIntellectTexts.caution,
       "\u8981\u6CE8\u610F\u65E5\u3067\u3059\uFF01\u4E0D\u6CE8\u610F\u306A\u30DF\u30B9"
       "\uFF0C\u5FD8\u308C\u7269\uFF0C\u30DD\u30AB\u306B\u6CE8\u610F\u3059\u308B\u3053"
       "\u3068"},
      {kIntellectTexts.high,
       "\u597D\u8ABF\u3067\u3059\uFF01\u3000\u982D\u306E\u56DE\u8EE2\u826F\u3057\uFF0C"
       "\u91CD\u8981\u306A\u4ED5\u4E8B\u306E\u5224\u65AD\uFF2F\uFF2B\uFF0C\u96E3\u554F"
       "\u306A\u3069\u306B\u6311\u6226\u3059\u308B\u306E\u3082\u826F\u3044\u3067\u3057"
       "\u3087\u3046\u3002"},
      {kIntellectTexts.low,
       "\u4F4E\u8ABF\u3067\u3059\uFF01\u5FA9\u7FD2\u3084\u8A18\u61B6\u3059\u308B\u3053"
       "\u3068\u306B\u91CD\u304D\u3092\u304A\u3044\u305F\u52C9\u5F37\u3092\u3059\u308B"
       "\u3068\u826F\u3044\u3067\u3057\u3087\u3046\u3002\u307E\u305F\uFF0C\u982D\u306E"
       "\u4F11\u990A\u304C\u5FC5\u8981\u3067\u3059\u3002"},
      {kPhysicalTexts.heading, "\u8EAB\u4F53\u306E\u8ABF\u5B50\u306F\uFF0C"},
      {kPhysicalTexts.caution,
       "\u8981\u6CE8\u610F\u65E5\u3067\u3059\uFF01\u98A8\u90AA\u3084\u6301\u75C5\u306B"
       "\u6CE8\u610F\u3059\u308B\u3053\u3068"},
      {kPhysicalTexts.high,
       "\u597D\u8ABF\u3067\u3059\uFF01\u3000\u4F53\u529B\u30B9\u30BF\u30DF\u30CA\u3059"
       "\u3079\u3066\uFF2F\uFF2B\u3067\u3059\u3002"},
      {kPhysicalTexts.low,
       "\u4F4E\u8ABF\u3067\u3059\uFF01\u30B9\u30BF\u30DF\u30CA\u6B20\u4E4F\uFF0C\u904E"
       "\u6FC0\u306A\u4ED5\u4E8B\uFF0C\u904B\u52D5\u3092\u907F\u3051\u3066\u304F\u3060"
       "\u3055\u3044"},
  };
  for (const auto& [text, code_points] : exact) EXPECT_EQ(text, code_points);
}

SharedState Positions(double lived, int emotion, double intellect, double physical) {
  SharedState s;
  s.PersonIndex = 1;
  s.PersonName[1] = "山田太郎";
  s.TargetYear = 2024, s.TargetMonth = 5, s.TargetDay = 3;
  s.DaysLived = lived;
  s.EmotionPosition[1] = static_cast<std::int16_t>(emotion);
  s.IntellectPosition = intellect;
  s.PhysicalPosition = physical;
  return s;
}

TEST(DailyMessageLines, Examples) {
  const struct {
    SharedState state;
    std::vector<std::string> lines;
  } cases[] = {
      {Positions(0, 0, 0, 0),
       {"2024年5月3日について", "山田太郎さんのバイオリズム診断をします。",
        "生まれてから現在日までの日数は0です。", "心の調子は，", std::string(kEmotionTexts.caution),
        "頭脳の調子は，", std::string(kIntellectTexts.caution), "身体の調子は，",
        std::string(kPhysicalTexts.caution)}},
      {Positions(10000, 4, 1, 18),
       {"2024年5月3日について", "山田太郎さんのバイオリズム診断をします。",
        "生まれてから現在日までの日数は10000です。", "心の調子は，",
        "好調です！　気力旺盛，感も冴えています。", "頭脳の調子は，",
        "要注意日です！不注意なミス，忘れ物，ポカに注意すること", "身体の調子は，",
        "低調です！スタミナ欠乏，過激な仕事，運動を避けてください"}},
      {Positions(12345, 25, 3, 17),
       {"2024年5月3日について", "山田太郎さんのバイオリズム診断をします。",
        "生まれてから現在日までの日数は12345です。", "心の調子は，",
        "低調です！　対人関係に注意しましょう。", "頭脳の調子は，",
        std::string(kIntellectTexts.high), "身体の調子は，", std::string(kPhysicalTexts.low)}},
      {Positions(17941, 21, 22, 1),
       {"2024年5月3日について", "山田太郎さんのバイオリズム診断をします。",
        "生まれてから現在日までの日数は17941です。", "心の調子は，",
        "低調です！　対人関係に注意しましょう。", "頭脳の調子は，",
        "低調です！復習や記憶することに重きをおいた勉強をすると良いでしょう。また，頭の休養が必要です。",
        "身体の調子は，", "要注意日です！風邪や持病に注意すること"}},
      // A fractional physical position in no range: the heading stands alone.
      {Positions(-2.5, 26, 30.5, 1.5),
       {"2024年5月3日について", "山田太郎さんのバイオリズム診断をします。",
        "生まれてから現在日までの日数は-2.5です。", "心の調子は，", std::string(kEmotionTexts.low),
        "頭脳の調子は，", std::string(kIntellectTexts.low), "身体の調子は，"}},
  };
  for (const auto& c : cases) EXPECT_EQ(DailyMessageLines(c.state), c.lines);

  SharedState nameless = Positions(0, 0, 0, 0);
  nameless.PersonName[1].clear();
  EXPECT_EQ(DailyMessageLines(nameless)[1], "さんのバイオリズム診断をします。");
}

}  // namespace
}  // namespace bio
