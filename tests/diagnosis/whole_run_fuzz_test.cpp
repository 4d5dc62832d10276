// Thousands of diagnoses with whatever a user might type into the seven
// boxes: every run must end in a complete result window, or back on the
// input window with one message naming a box and nothing saved, and a saved
// kojinfl.txt must read back as the five typed fields. Built into the
// sanitizer suite too.

#include <QElapsedTimer>
#include <QListWidget>
#include <QTest>
#include <random>

#include "forms/picture_box.h"
#include "storage/personal_file.h"
#include "support/test_program.h"

namespace {

// Pieces a typed field is made of: digits, signs, points, blanks, full-width
// and half-width characters, control characters, long digit strings, and
// characters the file's code page lacks or its format uses.
// clang-format off
const char* const kPieces[] = {
    "0", "1", "2", "3", "5", "7", "9", "12", "31", "50", "2024", "-", "+", ".", " ", "\t",
    "\x01", "\x7f", "　", "１", "２", "年", "月", "日", "昭和", "ｱ", "\"", ",", "\\", "〜", "−",
    "😀", "é", "99999999999999999999", "0.5", "-0", "1e5", "&#", "&#65;", "𠮷",
};
// clang-format on

QString RandomField(std::mt19937& random) {
  std::string text;
  const int pieces = std::uniform_int_distribution<int>(0, 6)(random);
  for (int i = 0; i < pieces; ++i) {
    if (std::uniform_int_distribution<int>(0, 200)(random) == 0) {
      text += std::string(std::uniform_int_distribution<int>(300, 2000)(random), '9');
    } else {
      text +=
          kPieces[std::uniform_int_distribution<std::size_t>(0, std::size(kPieces) - 1)(random)];
    }
  }
  return QString::fromStdString(text);
}

// Date boxes are often typed right, so that runs get past the input check.
// clang-format off
const char* const kDatePieces[] = {
    "1", "2", "3", "5", "12", "28", "29", "31", "50", "2024", "元", "５", "１２", "0", "05", " 7",
    "999999999999999999999999999999999999999999999",
};
// clang-format on

QString RandomDateField(std::mt19937& random) {
  if (std::uniform_int_distribution<int>(0, 9)(random) == 0) return RandomField(random);
  return QString::fromUtf8(kDatePieces[std::uniform_int_distribution<std::size_t>(
      0, std::size(kDatePieces) - 1)(random)]);
}

// The field as it reads back: a " is stored as the full-width ＂, anything
// else as typed.
QString AsStored(QString text) { return text.replace('"', QString("＂")); }

}  // namespace

class WholeRunFuzzTest : public QObject {
  Q_OBJECT

 private slots:
  void randomInput();
};

void WholeRunFuzzTest::randomInput() {
  std::mt19937 random(20261207);  // fixed, so a failure repeats
  constexpr int kRuns = 3000;
  constexpr qint64 kMilliseconds = 120'000;
  QElapsedTimer clock;
  clock.start();
  int runs = 0, shown = 0, rejected = 0;

  for (; runs < kRuns && clock.elapsed() < kMilliseconds; ++runs) {
    QStringList typed;
    typed << RandomField(random);
    for (int i = 1; i < 7; ++i) typed << RandomDateField(random);
    const int era = std::uniform_int_distribution<int>(-1, 4)(random);

    bio::test::TestProgram t(QDate(2024, 5, 3));
    t.program->Start();
    t.Fill(typed[0], era, typed[1], typed[2], typed[3], typed[4], typed[5], typed[6]);
    QTest::mouseClick(t.Nurel().Command1, Qt::LeftButton);

    const QString at = QString("run %1: %2").arg(runs).arg(typed.join(" | ").left(200));
    if (t.Nurel().isVisible()) {
      ++rejected;
      QVERIFY2(t.messages.size() == 1 && t.messages[0].startsWith("「"), qPrintable(at));
      QVERIFY2(!t.program->forms.SindanExists(), qPrintable(at));
      QVERIFY2(!std::filesystem::exists(t.File()), qPrintable(at));
      continue;
    }
    ++shown;
    QVERIFY2(t.messages.isEmpty(), qPrintable(at));
    bio::ResultForm& r = t.Sindan();
    QVERIFY2(r.isVisible(), qPrintable(at));
    QVERIFY2(r.List1->count() >= 6 && r.List1->count() <= 9, qPrintable(at));
    QVERIFY2(!r.Text9->text().isEmpty() && !r.Text3->text().isEmpty(), qPrintable(at));
    QVERIFY2(!r.Text2->text().isEmpty(), qPrintable(at));  // always a weekday name
    const QImage image = r.Picture1->Image();
    QVERIFY2(image.pixel(image.width() / 2, image.height() / 2 + 1) != qRgb(255, 255, 255) ||
                 image.pixel(image.width() / 2, image.height() / 2) != qRgb(255, 255, 255),
             qPrintable(at));  // the zero line

    const bio::PersonRecord loaded = bio::LoadPersonalFile(t.Folder());
    const std::string fields[5] = {loaded.name, loaded.era, loaded.year, loaded.month, loaded.day};
    const QString eras[5] = {"明治", "大正", "昭和", "平成", "令和"};
    const QString expected[5] = {typed[0], era < 0 ? QString() : eras[era], typed[1], typed[2],
                                 typed[3]};
    for (int i = 0; i < 5; ++i) {
      QVERIFY2(QString::fromStdString(fields[i]) == AsStored(expected[i]), qPrintable(at));
    }
  }
  qInfo("%d runs: %d result windows, %d rejected boxes", runs, shown, rejected);
  QVERIFY(runs >= 200);
  QVERIFY(shown > 0 && rejected > 0);
}

QTEST_MAIN(WholeRunFuzzTest)
#include "whole_run_fuzz_test.moc"
