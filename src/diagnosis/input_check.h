#pragma once

#include <variant>

#include "engine/era.h"

class QWidget;

namespace bio {

class InputForm;

// The dates the input window names, as the input check read them.
struct InputDates {
  const Era* era;   // the chosen option's row of EraTable
  double era_year;  // year within the era, 0 or more; 元 reads 1
  double birth_month;
  double birth_day;
  double year;  // today's Western year, 1 to kLastYear
  double month;
  double day;
};

// Why the input window names no real date: the box at fault, what it takes,
// and the control to go back to. The message box words it from these.
struct Rejection {
  enum class Frame { kBirth, kToday };
  enum class Box {
    kEra,          // no era option chosen
    kYear,         // not a whole number in range
    kYearTooLate,  // a Western year past kLastYear
    kMonth,
    kDay,  // not a day of the month below
  };
  QWidget* control;
  Frame frame;
  Box box;
  const Era* era = nullptr;  // the birth date's era; none for today's date
  double year = 0;           // for kYearTooLate and kDay: the year as typed
  double month = 0;          // for kDay: the month the day lies in
  int days = 0;              // for kDay: that month's length
};

// The last Western year a date may lie in: the result window and the day's
// messages are laid out for four-digit years, and much larger years leave
// the range the day count computes in.
inline constexpr int kLastYear = 9999;

// Checks, in this order, that an era is chosen, then the era year, month and
// day of birth, then today's year, month and day. Each date box must hold one
// whole number as ReadDateBox and ReadEraYearBox read it: era year 0 or more
// with its Western year at most kLastYear, today's year 1 to kLastYear,
// months 1 to 12, days 1 to the month's Gregorian length (the birth month's
// in the Western year its era gives). The dates read, or the first fault.
std::variant<InputDates, Rejection> CheckInput(const InputForm& nurel);

}  // namespace bio
