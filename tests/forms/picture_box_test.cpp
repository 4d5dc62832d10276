// The drawing surface: user scale, persistent image, colours, number form.

#include "forms/picture_box.h"

#include <QPainter>
#include <QTest>

#include "forms/controls.h"

class PictureBoxTest : public QObject {
  Q_OBJECT

 private slots:
  void palette();
  void scaleMapsTheInnerArea();
  void autoRedrawDecidesWhatPersists();
  void printMovesToTheNextLine();
  void replayScalesWithThePainter();
  void keepsItsLogicalSizeOnAnyScreen();
};

namespace {

struct Box {
  Box() {
    box.setFont(QFont("IPAGothic", 12, QFont::Bold));
    bio::SetBackground(box, Qt::white);
    box.resize(104, 64);  // inner area 100 x 60
    box.Scale(0, 30, 10, -30);
    box.SetAutoRedraw(true);
  }
  bio::PictureBox box;
};

}  // namespace

void PictureBoxTest::palette() {
  QCOMPARE(bio::QBColor(1), QColor(0, 0, 128));
  QCOMPARE(bio::QBColor(2), QColor(0, 128, 0));
  QCOMPARE(bio::QBColor(12), QColor(255, 0, 0));
  QCOMPARE(bio::QBColor(0), QColor(0, 0, 0));
  QCOMPARE(bio::QBColor(15), QColor(255, 255, 255));
}

void PictureBoxTest::scaleMapsTheInnerArea() {
  Box b;
  QCOMPARE(b.box.Image().size(), QSize(100, 60));
  b.box.SetForeColor(bio::QBColor(12));
  b.box.Line(0, 0, 10, 0);    // y = 0 is the middle row
  b.box.Line(5, 30, 5, -30);  // x = 5 the middle column
  const QImage image = b.box.Image();
  QCOMPARE(image.pixel(20, 30), qRgb(255, 0, 0));
  QCOMPARE(image.pixel(50, 10), qRgb(255, 0, 0));
  QCOMPARE(image.pixel(20, 10), qRgb(255, 255, 255));
}

void PictureBoxTest::autoRedrawDecidesWhatPersists() {
  Box b;
  b.box.SetAutoRedraw(false);
  b.box.Line(0, 0, 10, 0);
  QCOMPARE(b.box.Image().pixel(20, 30), qRgb(255, 255, 255));
  b.box.SetAutoRedraw(true);
  b.box.SetDrawWidth(5);
  b.box.Line(0, 0, 10, 0);
  QCOMPARE(b.box.Image().pixel(20, 28), qRgb(0, 0, 0));  // five pixels thick
  QCOMPARE(b.box.Image().pixel(20, 32), qRgb(0, 0, 0));
  b.box.ClearPicture();
  QCOMPARE(b.box.Image().pixel(20, 30), qRgb(255, 255, 255));
}

void PictureBoxTest::printMovesToTheNextLine() {
  Box b;
  b.box.SetCurrentX(3);
  b.box.SetCurrentY(20);
  b.box.Print(5);
  QCOMPARE(b.box.CurrentX(), 0.0f);
  QVERIFY(b.box.CurrentY() < 20 && b.box.CurrentY() > 20 - 60 * 20.0 / 60);
  // " 5 " starts with a blank: nothing drawn in the first few pixels.
  const QImage image = b.box.Image();
  int dark_at_start = 0, dark = 0;
  for (int y = 10; y < 30; ++y)
    for (int x = 30; x < 60; ++x) {
      const bool is_dark = qGray(image.pixel(x, y)) < 128;
      dark += is_dark;
      if (x < 33) dark_at_start += is_dark;
    }
  QCOMPARE(dark_at_start, 0);
  QVERIFY(dark > 10);
}

void PictureBoxTest::replayScalesWithThePainter() {
  Box b;
  b.box.SetDrawWidth(2);
  b.box.Line(0, 0, 10, 0);
  QImage big(400, 240, QImage::Format_RGB32);
  big.fill(Qt::white);
  QPainter painter(&big);
  painter.scale(4, 4);
  b.box.Replay(painter);
  painter.end();
  // The 2-pixel line at row 30 becomes 8 pixels at rows 116..123.
  QCOMPARE(big.pixel(80, 117), qRgb(0, 0, 0));
  QCOMPARE(big.pixel(80, 122), qRgb(0, 0, 0));
  QCOMPARE(big.pixel(80, 110), qRgb(255, 255, 255));
}

// Also run with QT_SCALE_FACTOR=2: the picture keeps its logical size and
// draws at the screen's resolution.
void PictureBoxTest::keepsItsLogicalSizeOnAnyScreen() {
  Box b;
  b.box.SetForeColor(bio::QBColor(12));
  b.box.Line(0, 0, 10, 0);
  const QImage image = b.box.Image();
  const qreal ratio = b.box.devicePixelRatioF();
  if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) {
    QCOMPARE(ratio, qEnvironmentVariable("QT_SCALE_FACTOR").toDouble());
  }
  QCOMPARE(image.deviceIndependentSize().toSize(), QSize(100, 60));
  QCOMPARE(image.size(), (QSizeF(100, 60) * ratio).toSize());
  QCOMPARE(image.pixel(int(20 * ratio), int(30 * ratio)), qRgb(255, 0, 0));
  QCOMPARE(image.pixel(int(20 * ratio), int(25 * ratio)), qRgb(255, 255, 255));
}

QTEST_MAIN(PictureBoxTest)
#include "picture_box_test.moc"
