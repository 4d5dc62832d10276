// The month's graph: its point tables, and what lands on the picture.

#include "diagnosis/graph.h"

#include <QTest>
#include <cmath>

#include "diagnosis/wording.h"
#include "forms/picture_box.h"
#include "support/test_program.h"

namespace {

bio::SharedState FirstOfMonth(double month, int emotion, double intellect, double physical,
                              double first_weekday = 0, double year = 2024) {
  bio::SharedState s;
  s.PersonIndex = 1;
  s.TargetYear = year;
  s.TargetMonth = month;
  s.EmotionPosition[1] = static_cast<std::int16_t>(emotion);
  s.IntellectPosition = intellect;
  s.PhysicalPosition = physical;
  s.FirstWeekday = first_weekday;
  return s;
}

// Pixel row and column of a graph point on a picture scaled (0,30)-(days,-30).
QPoint At(const QImage& image, double days, double x, double y) {
  return {int(x * image.width() / days), int((30 - y) * image.height() / 60)};
}

bool Near(const QImage& image, QPoint p, QRgb colour, int radius) {
  for (int dy = -radius; dy <= radius; ++dy)
    for (int dx = -radius; dx <= radius; ++dx) {
      const QPoint q = p + QPoint(dx, dy);
      if (image.rect().contains(q) && image.pixel(q) == colour) return true;
    }
  return false;
}

int Count(const QImage& image, QRect area, QRgb colour) {
  area = area.normalized() & image.rect();
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) n += image.pixel(x, y) == colour;
  return n;
}

const QRgb kWhite = qRgb(255, 255, 255), kBlack = qRgb(0, 0, 0), kBlue = qRgb(0, 0, 128),
           kGreen = qRgb(0, 128, 0), kRed = qRgb(255, 0, 0);

}  // namespace

class GraphTest : public QObject {
  Q_OBJECT

 private slots:
  void monthLength_data();
  void monthLength();
  void pointsFromPositionZero();
  void pointsFollowTheStartPhases();
  void drawnPicture();
  void weekdayRowColours_data();
  void weekdayRowColours();
  void daysInWords_data();
  void daysInWords();
};

void GraphTest::monthLength_data() {
  QTest::addColumn<double>("year");
  QTest::addColumn<double>("month");
  QTest::addColumn<double>("columns");
  for (double m : {1, 3, 5, 7, 8, 10, 12, 0, 13, -1}) QTest::addRow("%g", m) << 2024.0 << m << 31.0;
  for (double m : {4, 6, 9, 11}) QTest::addRow("%g", m) << 2024.0 << m << 30.0;
  QTest::newRow("February 2024") << 2024.0 << 2.0 << 29.0;
  QTest::newRow("February 2025") << 2025.0 << 2.0 << 28.0;
  QTest::newRow("February 1900") << 1900.0 << 2.0 << 28.0;
  QTest::newRow("February 2000") << 2000.0 << 2.0 << 29.0;
  QTest::newRow("a fraction") << 2024.0 << 5.5 << 31.0;
}

void GraphTest::monthLength() {
  QFETCH(double, year);
  QFETCH(double, month);
  QFETCH(double, columns);
  bio::GraphState g;
  bio::ComputeGraph(FirstOfMonth(month, 0, 0, 0, 0, year), g);
  QCOMPARE(g.DaysInMonth, columns);
  for (int p = 0; p <= int(columns); ++p) {
    QCOMPARE(g.EmotionX[p], double(p));
    QCOMPARE(g.IntellectX[p], double(p));
    QCOMPARE(g.PhysicalX[p], double(p));
  }
}

void GraphTest::pointsFromPositionZero() {
  bio::GraphState g;
  bio::ComputeGraph(FirstOfMonth(5, 0, 0, 0), g);
  const double emotion[] = {0, 4.4504, 8.6776};
  const int intellect[] = {0, 4, 7};  // from 3.785 and 7.4332
  const double physical[] = {0, 5.3959, 10.3917};
  for (int p = 0; p < 3; ++p) {
    QVERIFY2(std::fabs(g.EmotionY[p] - emotion[p]) < 5e-5, qPrintable(QString::number(p)));
    QCOMPARE(int(g.IntellectY[p]), intellect[p]);
    QVERIFY2(std::fabs(g.PhysicalY[p] - physical[p]) < 5e-5, qPrintable(QString::number(p)));
  }
  // The emotion curve steps 12.857 degrees a day while its phase takes
  // 12.8571, and the intellect angle accumulates in single precision.
  QCOMPARE(g.EmotionAngle, 32 * 12.857);
  float angle = 0;
  for (int p = 0; p < 32; ++p) angle = float(double(angle) + 10.9091);
  QCOMPARE(g.IntellectAngle, angle);
  QVERIFY(double(g.IntellectAngle) != 32 * 10.9091);
}

void GraphTest::pointsFollowTheStartPhases() {
  bio::GraphState g;
  bio::ComputeGraph(FirstOfMonth(5, 7, 10, 2), g);
  QVERIFY(std::fabs(g.EmotionY[0] - 20.0) < 1e-6);  // a quarter turn: the top
  QVERIFY(std::fabs(g.EmotionPhase - 1.5707898) < 1e-7);
  for (int p = 0; p <= 31; ++p) {
    QVERIFY(g.IntellectY[p] >= -20 && g.IntellectY[p] <= 20);
    QVERIFY(std::fabs(g.EmotionY[p]) <= 20 && std::fabs(g.PhysicalY[p]) <= 20);
  }
}

void GraphTest::drawnPicture() {
  bio::test::TestProgram t;
  t.program->Start();
  t.Fill("山田太郎", 2, "50", "5", "3", "2024", "5", "3");
  QTest::mouseClick(t.Nurel().Command1, Qt::LeftButton);
  const bio::GraphState& g = t.program->graph;
  const QImage image = t.Sindan().Picture1->Image();
  QCOMPARE(image.size(), QSize(693, 245));
  const double days = g.DaysInMonth;
  QCOMPARE(days, 31.0);

  // The zero line is black where no curve comes near it.
  QVERIFY(Near(image, At(image, days, 0.5, 0), kBlack, 1));

  // Each curve's colour wherever it passes clear of the other curves and of text.
  auto clear = [](double y) { return y > 9 || (y < 2 && y > -3) || y < -9; };
  int checked[3] = {0, 0, 0};
  const QRgb colours[3] = {kBlue, kGreen, kRed};
  for (int p = 1; p < 31; ++p) {
    const double y[3] = {g.EmotionY[p], double(g.IntellectY[p]), g.PhysicalY[p]};
    for (int c = 0; c < 3; ++c) {
      if (!clear(y[c]) || std::fabs(y[c] - y[(c + 1) % 3]) < 3 ||
          std::fabs(y[c] - y[(c + 2) % 3]) < 3) {
        continue;
      }
      QVERIFY2(Near(image, At(image, days, p, y[c]), colours[c], 1),
               qPrintable(QString("curve %1 at day %2").arg(c).arg(p)));
      ++checked[c];
    }
  }
  QVERIFY(checked[0] >= 3 && checked[1] >= 3 && checked[2] >= 3);

  // Blank bands: above the title, and between the lowest curve and the legend.
  QCOMPARE(Count(image, QRect(0, 0, image.width(), 14), kWhite), image.width() * 14);
  const int band_top = At(image, days, 0, -21.5).y(), band_bottom = At(image, days, 0, -25.5).y();
  const QRect band(0, band_top, image.width(), band_bottom - band_top);
  QCOMPARE(Count(image, band, kWhite), band.width() * band.height());

  // Title and legend are drawn in their colours, to the left of day 14.
  QVERIFY(Count(image, QRect(At(image, days, 1, 26), At(image, days, 12, 22)), kBlue) > 50);
  QVERIFY(Count(image, QRect(At(image, days, 1, -26), At(image, days, 14, -29)), kRed) > 20);
  QVERIFY(Count(image, QRect(At(image, days, 1, -26), At(image, days, 14, -29)), kGreen) > 20);
  // No tick at x = 0 or at the right edge.
  QCOMPARE(Count(image, QRect(At(image, days, 0, 2.5), QSize(1, 8)), kBlue), 0);
}

void GraphTest::weekdayRowColours_data() {
  QTest::addColumn<double>("first_weekday");
  QTest::addColumn<QList<int>>("red_columns");
  QTest::newRow("Saturday first") << 6.0 << QList<int>{0, 1, 7, 8, 14, 15, 21, 22, 28, 29};
  QTest::newRow("Sunday first") << 0.0 << QList<int>{0, 6, 7, 13, 14, 20, 21, 27, 28};
  QTest::newRow("Wednesday first") << 3.0 << QList<int>{3, 4, 10, 11, 17, 18, 24, 25};
}

void GraphTest::weekdayRowColours() {
  QFETCH(double, first_weekday);
  QFETCH(QList<int>, red_columns);
  bio::SharedState s = FirstOfMonth(5, 0, 0, 0, first_weekday);
  bio::GraphState g;
  bio::ComputeGraph(s, g);

  bio::PictureBox box;
  box.setFont(QFont("IPAGothic", 12, QFont::Bold));
  box.resize(697, 249);
  box.Scale(0, 30, 31, -30);
  box.SetAutoRedraw(true);
  bio::DrawWeekdayRow(s, g, box);
  const QImage image = box.Image();

  for (int k = 0; k < 31; ++k) {
    const QRect cell(At(image, 31, k - 0.3, 7), At(image, 31, k + 0.6, 2));
    const bool red = red_columns.contains(k);
    QVERIFY2((Count(image, cell, kRed) > 0) == red, qPrintable(QString::number(k)));
    QVERIFY2((Count(image, cell, kBlue) > 0) == !red, qPrintable(QString::number(k)));
  }
  const char* const chars[] = {"日", "月", "火", "水", "木", "金", "土"};
  for (int k = 0; k < 31; ++k) {
    QCOMPARE(g.ColumnWeekdayChars[k], std::string(chars[(k + int(first_weekday)) % 7]));
  }
}

// The days the description names, as 20 sin(2 pi position / length) gives
// them (intellect in whole numbers): crests a whole cycle apart count alike
// despite the curves' rounded steps, a crossing goes to the nearer day.
void GraphTest::daysInWords_data() {
  // clang-format off
  QTest::addColumn<double>("year");
  QTest::addColumn<double>("month");
  QTest::addColumn<QList<int>>("positions");  // emotion, intellect, physical on the 1st
  QTest::addColumn<int>("rhythm");            // 0 emotion, 1 intellect, 2 physical
  QTest::addColumn<QList<int>>("highest");
  QTest::addColumn<QList<int>>("lowest");
  QTest::addColumn<QList<int>>("crossings");
  QTest::addColumn<int>("day");
  QTest::addColumn<int>("trend");
  QTest::addColumn<int>("side");             // of the zero line on the day: +1 above, -1 below, 0 on it
  QTest::addColumn<QString>("description");  // the whole graph in words, where given
  const QList<int> feb25{8, 0, 0}, may24{7, 10, 2}, feb24{0, 0, 0}, feb24_zero{0, 5, 0};
  QTest::newRow("Feb 2025 emotion: top on the last day") << 2025.0 << 2.0 << feb25 << 0 << QList<int>{28} << QList<int>{14} << QList<int>{7, 21} << 14 << 1 << -1 << QString();
  QTest::newRow("Feb 2025 intellect") << 2025.0 << 2.0 << feb25 << 1 << QList<int>{9, 10} << QList<int>{25, 26} << QList<int>{1, 18} << 14 << -1 << 1 << QString();
  QTest::newRow("Feb 2025 physical") << 2025.0 << 2.0 << feb25 << 2 << QList<int>{7} << QList<int>{18} << QList<int>{1, 13, 24} << 14 << -1 << -1 << QString();
  QTest::newRow("May 2024 emotion: top on the 1st and a cycle later, just above the line the 8th") << 2024.0 << 5.0 << may24 << 0 << QList<int>{1, 29} << QList<int>{15} << QList<int>{8, 22} << 8 << -1 << 1 << QString();
  QTest::newRow("May 2024 intellect: 19 on the 1st and the 31st") << 2024.0 << 5.0 << may24 << 1 << QList<int>{1, 31} << QList<int>{15, 16} << QList<int>{8, 24} << 8 << -1 << -1 << QString();
  QTest::newRow("May 2024 physical: two crests") << 2024.0 << 5.0 << may24 << 2 << QList<int>{5, 28} << QList<int>{16} << QList<int>{11, 22} << 8 << -1 << 1 << QString();
  QTest::newRow("Feb 2024 emotion: just below the line the 29th") << 2024.0 << 2.0 << feb24 << 0 << QList<int>{8} << QList<int>{22} << QList<int>{1, 15, 29} << 29 << 1 << -1 << QString();
  QTest::newRow("Feb 2024 intellect") << 2024.0 << 2.0 << feb24 << 1 << QList<int>{9, 10} << QList<int>{25, 26} << QList<int>{1, 18} << 29 << 1 << -1 << QString();
  QTest::newRow("Feb 2024 physical") << 2024.0 << 2.0 << feb24 << 2 << QList<int>{7} << QList<int>{18} << QList<int>{1, 13, 24} << 29 << 1 << 1 << QString();
  // Three days in a list, and the intellect exactly on the line today and above it tomorrow.
  QTest::newRow("Feb 2024 the 29th, intellect on the line") << 2024.0 << 2.0 << feb24_zero << 1 << QList<int>{4, 5} << QList<int>{20, 21} << QList<int>{13, 29} << 29 << 1 << 0
      << "2月1日から29日までの、感情・知性・身体の曲線です。"
         "感情は8日に最も高く、22日に最も低くなります。中心線を横切るのは1日、15日と29日です。今日29日は中心線より下で、上がっています。"
         "知性は4日と5日に最も高く、20日と21日に最も低くなります。中心線を横切るのは13日と29日です。今日29日は中心線上で、上がっています。"
         "身体は7日に最も高く、18日に最も低くなります。中心線を横切るのは1日、13日と24日です。今日29日は中心線より上で、上がっています。";
  QTest::newRow("Feb 2025 the 9th, intellect level at its top") << 2025.0 << 2.0 << feb25 << 1 << QList<int>{9, 10} << QList<int>{25, 26} << QList<int>{1, 18} << 9 << 0 << 1
      << "2月1日から28日までの、感情・知性・身体の曲線です。"
         "感情は28日に最も高く、14日に最も低くなります。中心線を横切るのは7日と21日です。今日9日は中心線より下で、下がっています。"
         "知性は9日と10日に最も高く、25日と26日に最も低くなります。中心線を横切るのは1日と18日です。今日9日は中心線より上で、横ばいです。"
         "身体は7日に最も高く、18日に最も低くなります。中心線を横切るのは1日、13日と24日です。今日9日は中心線より上で、下がっています。";
  // clang-format on
}

void GraphTest::daysInWords() {
  QFETCH(double, year);
  QFETCH(double, month);
  QFETCH(QList<int>, positions);
  QFETCH(int, rhythm);
  QFETCH(QList<int>, highest);
  QFETCH(QList<int>, lowest);
  QFETCH(QList<int>, crossings);
  QFETCH(int, day);
  QFETCH(int, trend);
  QFETCH(int, side);
  QFETCH(QString, description);
  bio::GraphState g;
  bio::ComputeGraph(FirstOfMonth(month, positions[0], positions[1], positions[2], 0, year), g);
  const bio::GraphDays days = bio::ReadGraph(g, day);
  const bio::CurveDays& curve = rhythm == 0   ? days.emotion
                                : rhythm == 1 ? days.intellect
                                              : days.physical;
  auto list = [](const std::vector<int>& v) { return QList<int>(v.begin(), v.end()); };
  QCOMPARE(list(curve.highest), highest);
  QCOMPARE(list(curve.lowest), lowest);
  QCOMPARE(list(curve.crossings), crossings);
  QCOMPARE(curve.trend, trend);
  QCOMPARE((curve.value_on_day > 0) - (curve.value_on_day < 0), side);
  if (!description.isEmpty()) QCOMPARE(bio::GraphDescriptionText(month, days), description);
}

QTEST_MAIN(GraphTest)
#include "graph_test.moc"
