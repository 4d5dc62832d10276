#include "diagnosis/input_check.h"

#include <QLineEdit>
#include <QRadioButton>
#include <cmath>
#include <limits>
#include <optional>

#include "engine/calendar.h"
#include "engine/date_box.h"
#include "engine/numbers.h"
#include "forms/controls.h"
#include "forms/input_form.h"

namespace bio {

namespace {

const char kBirth[] = "「生年月日入力」の";
const char kToday[] = "「現在の西暦年月日入力」の";
const char kChooseEra[] = "元号（%1）を選んでください。";
const char kEraYear[] = "年には、元号の年を0以上の整数で入力してください（元年は「1」か「元」）。";
const char kEraYearTooLate[] =
    "年には、%1の年を%2までの整数で入力してください（計算できるのは西暦%3年までです）。";
const char kYear[] = "年には、西暦の年を1から%1までの整数で入力してください。";
const char kMonth[] = "月には、1から12までの整数を入力してください。";
const char kDay[] = "日には、1から%1までの整数を入力してください（%2は%1日までです）。";

constexpr double kNoLimit = std::numeric_limits<double>::infinity();

// The value when it is a whole number from `low` to `high`.
std::optional<double> WholeIn(std::optional<double> value, double low, double high) {
  if (!value || std::floor(*value) != *value || *value < low || *value > high) return std::nullopt;
  return value;
}

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

QString EraNames() {
  QString names;
  for (const Era& era : EraTable) {
    if (!names.isEmpty()) names += Text("・");
    names += QString::fromUtf8(era.name.data(), static_cast<qsizetype>(era.name.size()));
  }
  return names;
}

// `month_name` is the month as a person reads it: the era or 西暦, year, month.
QString DayMessage(const char* frame, int days, const std::string& month_name) {
  return Text(frame) + Text(kDay).arg(days).arg(QString::fromStdString(month_name));
}

}  // namespace

std::variant<InputDates, Rejection> CheckInput(const InputForm& nurel) {
  const Era* era = nurel.ChosenEra();
  if (!era) return Rejection{nurel.Options[0], Text(kBirth) + Text(kChooseEra).arg(EraNames())};
  const std::string era_name(era->name);

  const auto era_year = WholeIn(ReadEraYearBox(TextOf(*nurel.Text1)), 0, kNoLimit);
  if (!era_year) return Rejection{nurel.Text1, Text(kBirth) + Text(kEraYear)};
  const int last_era_year = kLastYear - era->base_year + 1;
  if (*era_year > last_era_year) {
    return Rejection{nurel.Text1, Text(kBirth) + Text(kEraYearTooLate)
                                                     .arg(QString::fromStdString(era_name))
                                                     .arg(last_era_year)
                                                     .arg(kLastYear)};
  }
  const auto birth_month = WholeIn(ReadDateBox(TextOf(*nurel.Text2), DateUnit::kMonth), 1, 12);
  if (!birth_month) return Rejection{nurel.Text2, Text(kBirth) + Text(kMonth)};
  const int birth_days = DaysInGregorianMonth(*era_year + era->base_year - 1, *birth_month);
  const auto birth_day = WholeIn(ReadDateBox(TextOf(*nurel.Text3), DateUnit::kDay), 1, birth_days);
  if (!birth_day) {
    return Rejection{nurel.Text3, DayMessage(kBirth, birth_days,
                                             era_name + NumberToText(*era_year) + "年" +
                                                 NumberToText(*birth_month) + "月")};
  }

  const auto year = WholeIn(ReadDateBox(TextOf(*nurel.Text4), DateUnit::kYear), 1, kLastYear);
  if (!year) return Rejection{nurel.Text4, Text(kToday) + Text(kYear).arg(kLastYear)};
  const auto month = WholeIn(ReadDateBox(TextOf(*nurel.Text5), DateUnit::kMonth), 1, 12);
  if (!month) return Rejection{nurel.Text5, Text(kToday) + Text(kMonth)};
  const int days = DaysInGregorianMonth(*year, *month);
  const auto day = WholeIn(ReadDateBox(TextOf(*nurel.Text6), DateUnit::kDay), 1, days);
  if (!day) {
    return Rejection{nurel.Text6,
                     DayMessage(kToday, days,
                                "西暦" + NumberToText(*year) + "年" + NumberToText(*month) + "月")};
  }
  return InputDates{era, *era_year, *birth_month, *birth_day, *year, *month, *day};
}

}  // namespace bio
