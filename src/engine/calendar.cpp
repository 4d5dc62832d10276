#include "engine/calendar.h"

#include <cmath>

namespace bio {

bool IsGregorianLeapYear(double year) {
  // fmod is exact for any whole double, so this holds for years of any size.
  if (std::floor(year) != year) return false;
  return std::fmod(year, 4) == 0 && (std::fmod(year, 100) != 0 || std::fmod(year, 400) == 0);
}

int DaysInGregorianMonth(double year, double month) {
  if (month == 2) return IsGregorianLeapYear(year) ? 29 : 28;
  if (month == 4 || month == 6 || month == 9 || month == 11) return 30;
  return 31;
}

}  // namespace bio
