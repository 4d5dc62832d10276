#include <gtest/gtest.h>

#include "forms/forms.h"

namespace bio {
namespace {

TEST(PlaceFrame, CentredWhereItFitsElseAgainstTheTopLeft) {
  const struct {
    QRect frame, available, placed;
  } rows[] = {
      {{0, 0, 524, 571}, {0, 0, 1280, 1024}, {378, 226, 524, 571}},
      {{300, 300, 524, 571}, {-1366, 24, 1366, 744}, {-945, 110, 524, 571}},  // left, panel
      {{0, 0, 711, 551}, {100, 50, 1000, 500}, {244, 50, 711, 551}},          // too tall
      {{0, 0, 711, 551}, {683, 0, 683, 384}, {683, 0, 711, 551}},             // too big: 200 %
  };
  for (const auto& row : rows) {
    const QRect placed = PlaceFrame(row.frame, row.available);
    EXPECT_EQ(placed, row.placed) << placed.x() << ',' << placed.y();
  }
}

}  // namespace
}  // namespace bio
