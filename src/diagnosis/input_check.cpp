#include "diagnosis/input_check.h"

#include <QLineEdit>
#include <QRadioButton>
#include <cmath>
#include <limits>

#include "engine/calendar.h"
#include "engine/date_box.h"
#include "engine/era.h"
#include "engine/numbers.h"
#include "forms/controls.h"
#include "forms/input_form.h"

namespace bio {

namespace {

constexpr double kNoLimit = std::numeric_limits<double>::infinity();

const char kBirth[] = "「生年月日入力」の";
const char kToday[] = "「現在の西暦年月日入力」の";

// The value when it is a whole number from `low` to `high`.
std::optional<double> WholeIn(std::optional<double> value, double low, double high) {
  if (!value || std::floor(*value) != *value || *value < low || *value > high) return std::nullopt;
  return value;
}

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

QString MonthMessage(const char* frame) {
  return Text(frame) + Text("月には、1から12までの整数を入力してください。");
}

// `month_name` is the month as a person reads it, e.g. 昭和50年2月.
QString DayMessage(const char* frame, int days, const std::string& month_name) {
  return Text(frame) + Text("日には、1から%1までの整数を入力してください（%2は%1日までです）。")
                           .arg(days)
                           .arg(QString::fromStdString(month_name));
}

}  // namespace

std::optional<Rejection> CheckInput(const InputForm& nurel) {
  const QRadioButton* chosen = nullptr;
  for (const QRadioButton* option : nurel.Options) {
    if (option->isChecked()) {
      chosen = option;
      break;
    }
  }
  if (!chosen) {
    return Rejection{nurel.Options[0],
                     Text(kBirth) + Text("元号（明治・大正・昭和・平成・令和）を選んでください。")};
  }
  const std::string era_name = chosen->text().toStdString();
  const Era* era = FindEra(era_name);
  const int base_year = era ? era->base_year : 1;

  const auto era_year = WholeIn(ReadEraYearBox(TextOf(*nurel.Text1)), 0, kNoLimit);
  if (!era_year) {
    return Rejection{nurel.Text1,
                     Text(kBirth) + Text("年には、元号の年を0以上の整数で入力してください"
                                         "（元年は「1」か「元」）。")};
  }
  const auto birth_month = WholeIn(ReadDateBox(TextOf(*nurel.Text2)), 1, 12);
  if (!birth_month) return Rejection{nurel.Text2, MonthMessage(kBirth)};
  const int birth_days = DaysInGregorianMonth(*era_year + base_year - 1, *birth_month);
  if (!WholeIn(ReadDateBox(TextOf(*nurel.Text3)), 1, birth_days)) {
    return Rejection{nurel.Text3, DayMessage(kBirth, birth_days,
                                             era_name + NumberToText(*era_year) + "年" +
                                                 NumberToText(*birth_month) + "月")};
  }

  const auto year = WholeIn(ReadDateBox(TextOf(*nurel.Text4)), 1, kNoLimit);
  if (!year) {
    return Rejection{nurel.Text4,
                     Text(kToday) + Text("年には、西暦の年を1以上の整数で入力してください。")};
  }
  const auto month = WholeIn(ReadDateBox(TextOf(*nurel.Text5)), 1, 12);
  if (!month) return Rejection{nurel.Text5, MonthMessage(kToday)};
  const int days = DaysInGregorianMonth(*year, *month);
  if (!WholeIn(ReadDateBox(TextOf(*nurel.Text6)), 1, days)) {
    return Rejection{nurel.Text6,
                     DayMessage(kToday, days,
                                "西暦" + NumberToText(*year) + "年" + NumberToText(*month) + "月")};
  }
  return std::nullopt;
}

}  // namespace bio
