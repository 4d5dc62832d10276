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
// and the control to go back to. The message box words it from these. Made
// only by the factories below, one per refusal, each taking just the values
// its message names.
class Rejection {
 public:
  enum class Frame { kBirth, kToday };
  enum class Box {
    kEra,          // no era option chosen
    kYear,         // not a whole number in range
    kYearTooLate,  // a birth year whose Western year passes kLastYear
    kMonth,
    kDay,  // not a day of month()
  };
  // The month a refused day lies in: its year as typed (within the era for
  // a birth date), the month, and that month's length.
  struct Month {
    double year;
    double month;
    int days;
  };

  static Rejection NoEra(QWidget* first_option);
  static Rejection BirthYear(QWidget* box);
  static Rejection BirthYearTooLate(QWidget* box, const Era& era);
  static Rejection BirthMonth(QWidget* box);
  static Rejection BirthDay(QWidget* box, const Era& era, Month month);
  static Rejection TodayYear(QWidget* box);
  static Rejection TodayMonth(QWidget* box);
  static Rejection TodayDay(QWidget* box, Month month);

  QWidget* control() const { return control_; }
  Frame frame() const { return frame_; }
  Box box() const { return box_; }
  const Era* era() const { return era_; }        // the birth date's era; none for today's date
  const Month& month() const { return month_; }  // for kDay

 private:
  Rejection(QWidget* control, Frame frame, Box box, const Era* era = nullptr, Month month = {})
      : control_(control), frame_(frame), box_(box), era_(era), month_(month) {}

  QWidget* control_;
  Frame frame_;
  Box box_;
  const Era* era_;
  Month month_;
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
