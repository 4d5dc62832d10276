#pragma once

namespace bio {

// The Gregorian leap rule: every fourth year, but not a century year unless
// it is divisible by 400. A year that is not whole is no leap year.
bool IsGregorianLeapYear(double year);

// Days in `month` (1 to 12) of `year` in the Gregorian calendar: 28 to 31.
// Any other month number gives 31.
int DaysInGregorianMonth(double year, double month);

}  // namespace bio
