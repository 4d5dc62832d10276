#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace bio {

class InputForm;

// Why the input window names no real date, and the control to go back to.
struct Rejection {
  QWidget* control;
  QString message;  // names the box and what it takes
};

// Checks, in this order, that an era is chosen, then the era year, month and
// day of birth, then today's year, month and day. A box must begin with a
// whole number (full-width digits and 元 in the era-year box read as
// ReadDateBox and ReadEraYearBox say): era year 0 or more, today's year 1 or
// more, months 1 to 12, days 1 to the month's Gregorian length (the birth
// month's in the Western year its era gives). The first fault, or nothing.
std::optional<Rejection> CheckInput(const InputForm& nurel);

}  // namespace bio
