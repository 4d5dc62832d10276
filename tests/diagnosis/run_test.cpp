// One diagnosis through the real windows, offscreen: from the input fields
// to the filled result window and kojinfl.txt.

#include "diagnosis/run.h"

#include <QDir>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <limits>

#include "engine/not_computable.h"
#include "storage/cp932.h"
#include "support/test_program.h"

using bio::test::TestProgram;

class RunTest : public QObject {
  Q_OBJECT

 private slots:
  void exampleRuns_data();
  void exampleRuns();
  void typedInput_data();
  void typedInput();
  void savedFileHoldsTheTypedTexts();
  void dailyMessagesOfTheFirstExample();
  void notComputableSavesNothing();
  void failedSaveIsReportedAndTheDiagnosisGoesOn();
};

void RunTest::exampleRuns_data() {
  QTest::addColumn<int>("era");
  QTest::addColumn<QStringList>("typed");             // year, month, day, now year, month, day
  QTest::addColumn<QStringList>("boxes");             // Text9..Text12, Text1, Text3, Text2
  QTest::addColumn<QList<double>>("first_of_month");  // days lived, emotion, intellect, physical
  QTest::addColumn<QList<double>>("saved");           // emotion, intellect, physical

  QTest::newRow("born 1975-05-03, today 2024-05-03")
      << 2 << QStringList{"50", "5", "3", "2024", "5", "3"}
      << QStringList{"17898", "6", "12", "4", "土曜日", "5", "水曜日"}
      << QList<double>{17896, 4, 10, 2} << QList<double>{6, 12, 4};
  QTest::newRow("today 2024-06-15")
      << 2 << QStringList{"50", "5", "3", "2024", "6", "15"}
      << QStringList{"17941", "21", "22", "1", "土曜日", "6", "土曜日"}
      << QList<double>{17927, 7, 8, 10} << QList<double>{21, 22, 1};
  QTest::newRow("born today: first of the month lies before birth")
      << 2 << QStringList{"50", "5", "3", "1975", "5", "3"}
      << QStringList{"0", "0", "0", "0", "土曜日", "5", "木曜日"} << QList<double>{-2, 26, 31, 21}
      << QList<double>{0, 0, 0};
  QTest::newRow("trailing text and leading zeros")
      << 2 << QStringList{"50年", "5月", "3日", "2024", "05", "03"}
      << QStringList{"17898", "6", "12", "4", "土曜日", "5", "水曜日"}
      << QList<double>{17896, 4, 10, 2} << QList<double>{6, 12, 4};
  QTest::newRow("birth after today: negative days lived")
      << 4 << QStringList{"8", "5", "3", "2024", "5", "3"}
      << QStringList{"-730", "26", "29", "6", "日曜日", "5", "水曜日"}
      << QList<double>{-732, 24, 27, 4} << QList<double>{26, 29, 6};
}

void RunTest::exampleRuns() {
  QFETCH(int, era);
  QFETCH(QStringList, typed);
  QFETCH(QStringList, boxes);
  QFETCH(QList<double>, first_of_month);
  QFETCH(QList<double>, saved);

  TestProgram t;
  t.program->Start();
  t.Fill("山田太郎", era, typed[0], typed[1], typed[2], typed[3], typed[4], typed[5]);
  QTest::mouseClick(t.Nurel().Command1, Qt::LeftButton);

  QVERIFY(t.messages.isEmpty());
  QVERIFY(!t.Nurel().isVisible());
  bio::ResultForm& r = t.Sindan();
  QVERIFY(r.isVisible());
  const QStringList shown{r.Text9->text(), r.Text10->text(), r.Text11->text(), r.Text12->text(),
                          r.Text1->text(), r.Text3->text(),  r.Text2->text()};
  QCOMPARE(shown, boxes);

  const bio::SharedState& s = t.program->state;
  QCOMPARE(s.DaysLived, first_of_month[0]);
  QCOMPARE(double(s.EmotionPosition[1]), first_of_month[1]);
  QCOMPARE(s.IntellectPosition, first_of_month[2]);
  QCOMPARE(s.PhysicalPosition, first_of_month[3]);
  QCOMPARE(s.SavedEmotionPosition, saved[0]);
  QCOMPARE(s.SavedIntellectPosition, saved[1]);
  QCOMPARE(double(s.SavedPhysicalPosition), saved[2]);
  QCOMPARE(s.PersonName[0], std::string());
  QCOMPARE(s.PersonName[2], std::string());
  QCOMPARE(r.List1->count(), 9);
}

// What a person types: read as meant (full-width digits, 元年, a unit after
// the number), or refused with the focus on the box to correct, nothing else
// changed, and where given exactly this message.
void RunTest::typedInput_data() {
  QTest::addColumn<int>("era");            // 0 明治 .. 4 令和, -1 none
  QTest::addColumn<QStringList>("typed");  // year, month, day, now year, month, day
  QTest::addColumn<QString>("outcome");    // days lived, or the box that gets the focus
  QTest::addColumn<QString>("message");    // the whole message, when given

  const auto row = [](const char* label, int era, const QStringList& typed, const char* outcome,
                      const char* message = "") {
    QTest::newRow(label) << era << typed << QString(outcome) << QString(message);
  };
  row("full-width digits", 2, {"５０", "５", "３", "２０２４", "５", "３"}, "17898");
  row("元年", 4, {"元", "5", "1", "2024", "5", "3"}, "1829");
  row("元 between ideographic spaces", 4, {"\u3000元 ", "5", "1", "2024", "5", "3"}, "1829");
  row("元年 with its unit", 4, {"元年", "5", "1", "2024", "5", "3"}, "1829");
  row("unit after a blank", 2, {"５０\u3000年", "5 月", "3 日 ", "2024 年", "5", "3"}, "17898");
  row("unit after a tab, fractions of zeros", 2, {"50\t年", "５．０", "3.", "2024.00", "5", "3"},
      "17898");
  row("fractions of zeros before the unit", 2,
      {"50.0年", "５．０月", "3.00日", "2024.0 年", "5", "3"}, "17898");
  row("era year 0 is the year before the era", 4, {"0", "5", "1", "2024", "5", "3"}, "2194");
  row("29 February of a leap year", 3, {"8", "2", "29", "2024", "5", "3"}, "10291");
  row("leap year by the Western year, not the era year", 4, {"2", "2", "29", "2024", "5", "3"},
      "1525");
  row("today 29 February, born in a common year", 2, {"50", "5", "3", "2024", "2", "29"}, "17834");
  row("9999 in both year boxes", 4, {"7981", "5", "3", "9999", "5", "3"}, "0");
  row("no era chosen", -1, {"50", "5", "3", "2024", "5", "3"}, "Option1",
      "「生年月日入力」の元号（明治・大正・昭和・平成・令和）を選んでください。");
  row("empty era year", 2, {"", "5", "3", "2024", "5", "3"}, "Text1");
  row("letters", 2, {"abc", "5", "3", "2024", "5", "3"}, "Text1");
  row("letter o inside the era year", 2, {"5o", "5", "3", "2024", "5", "3"}, "Text1",
      "「生年月日入力」の年には、元号の年を0以上の整数で入力してください（元年は「1」か「元」）。");
  row("blank inside the era year", 2, {"5 0", "5", "3", "2024", "5", "3"}, "Text1");
  row("exponent", 2, {"5e1", "5", "3", "2024", "5", "3"}, "Text1");
  row("negative era year", 2, {"-1", "5", "3", "2024", "5", "3"}, "Text1");
  row("fractional era year", 2, {"５０．５", "5", "3", "2024", "5", "3"}, "Text1");
  row("元 with other text", 2, {"元日", "5", "3", "2024", "5", "3"}, "Text1");
  row("era year past 9999", 2, {"8075", "5", "3", "2024", "5", "3"}, "Text1",
      "「生年月日入力」の年には、昭和の年を8074までの整数で入力してください"
      "（計算できるのは西暦9999年までです）。");
  row("month 13", 2, {"50", "13", "3", "2024", "5", "3"}, "Text2",
      "「生年月日入力」の月には、1から12までの整数を入力してください。");
  row("month 0", 2, {"50", "0", "3", "2024", "5", "3"}, "Text2");
  row("fraction in the month", 2, {"50", "5.01", "3", "2024", "5", "3"}, "Text2");
  row("元 as a month", 2, {"50", "元", "3", "2024", "5", "3"}, "Text2");
  row("another box's unit", 2, {"50", "5日", "3", "2024", "5", "3"}, "Text2");
  row("day 32", 2, {"50", "5", "32", "2024", "5", "3"}, "Text3");
  row("day 0", 2, {"50", "5", "0", "2024", "5", "3"}, "Text3");
  row("30 February", 2, {"50", "2", "30", "2024", "5", "3"}, "Text3");
  row("29 February of a common year", 3, {"7", "2", "29", "2024", "5", "3"}, "Text3");
  row("29 February of a common Western year", 4, {"4", "2", "29", "2024", "5", "3"}, "Text3",
      "「生年月日入力」の日には、1から28までの整数を入力してください（令和4年2月は28日までです）。");
  row("blank day", 2, {"50", "5", "\u3000", "2024", "5", "3"}, "Text3");
  row("today's year empty", 2, {"50", "5", "3", "", "5", "3"}, "Text4");
  row("today's year 0", 2, {"50", "5", "3", "0", "5", "3"}, "Text4");
  row("letter O inside today's year", 2, {"50", "5", "3", "2O26", "5", "3"}, "Text4");
  row("comma", 2, {"50", "5", "3", "1,000", "5", "3"}, "Text4");
  row("today's year past 9999", 2, {"50", "5", "3", "10000", "5", "3"}, "Text4",
      "「現在の西暦年月日入力」の年には、西暦の年を1から9999までの整数で入力してください。");
  row("blank inside today's month", 2, {"50", "5", "3", "2024", "1 2", "3"}, "Text5",
      "「現在の西暦年月日入力」の月には、1から12までの整数を入力してください。");
  row("today 2026/13/40", 2, {"50", "5", "3", "2026", "13", "40"}, "Text5");
  row("today's month 0", 2, {"50", "5", "3", "2024", "0", "3"}, "Text5");
  row("today's day 0", 2, {"50", "5", "3", "2024", "5", "0"}, "Text6");
  row("a fraction that rounds to a whole day", 2,
      {"50", "5", "3", "2024", "5", "4.9999999999999999999"}, "Text6",
      "「現在の西暦年月日入力」の日には、1から31までの整数を入力してください"
      "（西暦2024年5月は31日までです）。");
  row("today 29 February 2025", 2, {"50", "5", "3", "2025", "2", "29"}, "Text6",
      "「現在の西暦年月日入力」の日には、1から28までの整数を入力してください"
      "（西暦2025年2月は28日までです）。");
}

void RunTest::typedInput() {
  QFETCH(int, era);
  QFETCH(QStringList, typed);
  QFETCH(QString, outcome);
  QFETCH(QString, message);
  const std::string before = "\"x\",\"\",\"\",\"\",\"\"\r\n";
  TestProgram t(QDate(2024, 5, 3), {}, before, true);
  t.program->Start();
  t.Fill("山田太郎", era, typed[0], typed[1], typed[2], typed[3], typed[4], typed[5]);
  QTest::mouseClick(t.Nurel().Command1, Qt::LeftButton);

  if (!outcome.startsWith("Text") && !outcome.startsWith("Option")) {
    QVERIFY2(t.messages.isEmpty(), qPrintable(t.messages.join('\n')));
    QCOMPARE(t.Sindan().Text9->text(), outcome);
    return;
  }
  QCOMPARE(t.messages.size(), 1);
  if (!message.isEmpty()) QCOMPARE(t.messages[0], message);
  QVERIFY(t.Nurel().isVisible());
  QVERIFY(!t.program->forms.SindanExists());
  QCOMPARE(t.ReadFile(), before);
  QWidget* focus = t.Nurel().focusWidget();
  QVERIFY(focus);
  QCOMPARE(focus->objectName(), outcome);
  if (auto* box = qobject_cast<QLineEdit*>(focus)) QCOMPARE(box->selectedText(), box->text());
}

void RunTest::savedFileHoldsTheTypedTexts() {
  TestProgram t;
  t.program->Start();
  t.Fill("山田太郎", 2, "50", "5", "3", "2024", "5", "3");
  QTest::keyClick(t.Nurel().Text7, Qt::Key_Return);
  QCOMPARE(QByteArray::fromStdString(t.ReadFile()).toHex(' '),
           QByteArray("22 8e 52 93 63 91 be 98 59 22 2c 22 8f ba 98 61 22 2c 22 35 30 22 2c 22 35 "
                      "22 2c 22 33 22 0d 0a"));

  TestProgram u;
  u.program->Start();
  u.Fill("", 4, "元", "０５", "3日", "2024", "5", "3");
  QTest::keyClick(u.Nurel().Text3, Qt::Key_Enter);
  QCOMPARE(u.ReadFile(), bio::Utf8ToCp932("\"\",\"令和\",\"元\",\"０５\",\"3日\"\r\n"));
}

void RunTest::dailyMessagesOfTheFirstExample() {
  TestProgram t;
  t.program->Start();
  t.Fill("山田太郎", 2, "50", "5", "3", "2024", "5", "3");
  QTest::mouseClick(t.Nurel().Command1, Qt::LeftButton);
  QStringList lines;
  for (int i = 0; i < t.Sindan().List1->count(); ++i) lines << t.Sindan().List1->item(i)->text();
  const QStringList expected{
      "2024年5月3日について",
      "山田太郎さんのバイオリズム診断をします。",
      "生まれてから現在日までの日数は17898です。",
      "心の調子は，",
      "好調です！　気力旺盛，感も冴えています。",
      "頭脳の調子は，",
      "好調です！　頭の回転良し，重要な仕事の判断ＯＫ，難問などに挑戦するのも良いでしょう。",
      "身体の調子は，",
      "好調です！　体力スタミナすべてＯＫです。",
  };
  QCOMPARE(lines, expected);
}

// Checked input cannot get here, so the dates are handed to the run directly.
void RunTest::notComputableSavesNothing() {
  const std::string before = "\"x\",\"\",\"\",\"\",\"\"\r\n";
  TestProgram t(QDate(2024, 5, 3), {}, before, true);
  t.program->Start();
  t.Fill("山田太郎", 2, "50", "5", "3", "2024", "5", "3");
  const double endless = std::numeric_limits<double>::infinity();
  const bio::InputDates dates{&bio::EraTable[2], endless, 5, 3, 2024, 5, 3};
  QVERIFY_THROWS_EXCEPTION(
      bio::NotComputable,
      bio::RunDiagnosis(dates, t.program->state, t.program->graph, t.program->forms));
  QVERIFY(t.Nurel().isVisible());
  QVERIFY(!t.program->forms.SindanExists() || !t.Sindan().isVisible());
  QCOMPARE(t.ReadFile(), before);
}

void RunTest::failedSaveIsReportedAndTheDiagnosisGoesOn() {
  TestProgram t;
  QVERIFY(QDir(t.dir.path()).mkdir("kojinfl.txt"));  // cannot be replaced by a file
  t.program->Start();
  t.Fill("山田太郎", 2, "50", "5", "3", "2024", "5", "3");
  QTest::mouseClick(t.Nurel().Command1, Qt::LeftButton);

  QCOMPARE(t.messages.size(), 1);
  QVERIFY(t.messages[0].contains("保存できませんでした"));
  QVERIFY(t.messages[0].contains("kojinfl.txt"));
  QVERIFY(t.Sindan().isVisible());
  QCOMPARE(t.Sindan().Text9->text(), QString("17898"));
}

QTEST_MAIN(RunTest)
#include "run_test.moc"
