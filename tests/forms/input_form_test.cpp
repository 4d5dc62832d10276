// The input window as a user meets it: layout, prefill, focus, Enter.

#include <QGroupBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include "forms/line_edit_accessible.h"
#include "storage/cp932.h"
#include "support/test_program.h"

using bio::test::TestProgram;

class InputFormTest : public QObject {
  Q_OBJECT

 private slots:
  void layoutInPixels_data();
  void layoutInPixels();
  void labelArraysAndCaptions();
  void prefill_data();
  void prefill();
  void focusAndTabOrder();
  void enterRunsFromEveryControl_data();
  void enterRunsFromEveryControl();
  void closingBeforeARunEndsTheProgram();
  void everyInputHasAnAccessibleName();
  void textSegmentsForAScreenReader_data();
  void textSegmentsForAScreenReader();
};

void InputFormTest::layoutInPixels_data() {
  // clang-format off
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("parent");
  QTest::addColumn<QRect>("geometry");  // twips / 15
  QTest::newRow("Frame3") << "Frame3" << "Nurel" << QRect(16, 8, 265, 73);
  QTest::newRow("Text7") << "Text7" << "Frame3" << QRect(56, 32, 169, 25);
  QTest::newRow("Frame1") << "Frame1" << "Nurel" << QRect(56, 88, 441, 201);
  QTest::newRow("Option2") << "Option2" << "Frame1" << QRect(16, 56, 73, 41);
  QTest::newRow("Option5") << "Option5" << "Frame1" << QRect(16, 160, 65, 25);
  QTest::newRow("Text1") << "Text1" << "Frame1" << QRect(104, 80, 41, 28);
  QTest::newRow("Text3") << "Text3" << "Frame1" << QRect(320, 80, 41, 28);
  QTest::newRow("Label5") << "Label5" << "Nurel" << QRect(96, 304, 385, 33);
  QTest::newRow("Command1") << "Command1" << "Nurel" << QRect(184, 352, 169, 33);
  QTest::newRow("Frame2") << "Frame2" << "Nurel" << QRect(56, 408, 433, 89);
  QTest::newRow("Text4") << "Text4" << "Frame2" << QRect(88, 37, 57, 28);
  QTest::newRow("Text6") << "Text6" << "Frame2" << QRect(336, 37, 33, 28);
  // clang-format on
}

void InputFormTest::layoutInPixels() {
  QFETCH(QString, name);
  QFETCH(QString, parent);
  QFETCH(QRect, geometry);
  TestProgram t;
  auto* control = t.Nurel().findChild<QWidget*>(name);
  QVERIFY(control);
  QCOMPARE(control->parentWidget()->objectName(), parent);
  QCOMPARE(control->geometry(), geometry);
  QCOMPARE(t.Nurel().size(), QSize(524, 571));
}

void InputFormTest::labelArraysAndCaptions() {
  TestProgram t;
  QMap<QString, QString> captions;  // "Label2 2" -> caption
  for (QLabel* label : t.Nurel().findChildren<QLabel*>()) {
    const QVariant index = label->property("Index");
    captions[label->objectName() + (index.isValid() ? " " + index.toString() : "")] = label->text();
  }
  const QMap<QString, QString> expected{
      {"Label1 0", "年"},
      {"Label1 1", "年"},
      {"Label2 0", "月"},
      {"Label2 2", "月"},
      {"Label3 0", "日"},
      {"Label3 1", "日"},
      {"Label5",
       "生年月日を入力してから[Enter]キーを押すか，     "
       "[バイオリズム実行]ボタンをクリックしてください."},
  };
  QCOMPARE(captions, expected);
  QCOMPARE(t.Nurel().Command1->text(), QString(" バイオリズム実行"));
  QStringList eras;
  for (auto* option : t.Nurel().Options) eras << option->text();
  QCOMPARE(eras, (QStringList{"明治", "大正", "昭和", "平成", "令和"}));
  QCOMPARE(t.Nurel().windowTitle(), QString("バイオリズム診断"));
  QVERIFY(!t.Nurel().windowIcon().isNull());
  // The Windows faces are drawn with the IPA fonts, never with boxes.
  QCOMPARE(QFontInfo(t.Nurel().Text7->font()).family(), QString("IPAGothic"));
  QCOMPARE(QFontInfo(t.Nurel().Options[4]->font()).family(), QString("IPAPGothic"));
}

void InputFormTest::prefill_data() {
  // clang-format off
  QTest::addColumn<bool>("with_file");
  QTest::addColumn<QString>("file");  // UTF-8 text of kojinfl.txt
  QTest::addColumn<QDate>("today");
  QTest::addColumn<QStringList>("boxes");  // Text7, Text1..Text6
  QTest::addColumn<int>("era");            // checked option, -1 none
  QTest::newRow("first start: no file") << false << "" << QDate(2019, 8, 5)
                                        << QStringList{"", "", "", "", "2019", "08", "05"} << -1;
  QTest::newRow("saved person, Reiwa") << true << "\"佐藤, 花子\",\"令和\",\"1\",\"05\",\"9\"\r\n"
                                       << QDate(2024, 12, 31)
                                       << QStringList{"佐藤, 花子", "1", "05", "9", "2024", "12", "31"}
                                       << 4;
  QTest::newRow("unknown era selects nothing") << true << "\"a\",\"昭和 \",\"50\",\"5\",\"3\"\r\n"
                                               << QDate(2024, 1, 2)
                                               << QStringList{"a", "50", "5", "3", "2024", "01", "02"}
                                               << -1;
  QTest::newRow("short file keeps what it has") << true << "\"a\",\"明治\"" << QDate(2024, 1, 2)
                                                << QStringList{"a", "", "", "", "2024", "01", "02"}
                                                << 0;
  // clang-format on
}

void InputFormTest::prefill() {
  QFETCH(bool, with_file);
  QFETCH(QString, file);
  QFETCH(QDate, today);
  QFETCH(QStringList, boxes);
  QFETCH(int, era);
  TestProgram t(today, {}, bio::Utf8ToCp932(file.toStdString()), with_file);
  t.program->Start();
  bio::InputForm& f = t.Nurel();
  const QStringList shown{f.Text7->text(), f.Text1->text(), f.Text2->text(), f.Text3->text(),
                          f.Text4->text(), f.Text5->text(), f.Text6->text()};
  QCOMPARE(shown, boxes);
  for (int i = 0; i < 5; ++i) QCOMPARE(f.Options[i]->isChecked(), i == era);
  QVERIFY(t.messages.isEmpty());
}

void InputFormTest::focusAndTabOrder() {
  TestProgram t;
  t.program->Start();
  bio::InputForm& f = t.Nurel();
  QVERIFY(QTest::qWaitForWindowActive(&f));
  QCOMPARE(QApplication::focusWidget(), f.Command1);

  // Tab follows the tab indices; frames and labels take no focus. The era
  // group is one stop after the button: the chosen era, the first if none.
  auto chain = [&f] {
    QStringList names;
    for (QWidget* w = f.Command1->nextInFocusChain(); w != f.Command1; w = w->nextInFocusChain()) {
      if (w->focusPolicy() & Qt::TabFocus) names << w->objectName();
    }
    return names;
  };
  const QStringList boxes{"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7"};
  QCOMPARE(chain(), QStringList{"Option1"} + boxes);
  f.ChooseEra(&bio::EraTable[4]);
  QCOMPARE(chain(), QStringList{"Option5"} + boxes);
  QTest::keyClick(f.Command1, Qt::Key_Tab);
  QVERIFY(QApplication::focusWidget() != f.Command1);

  // Tab into a box selects its value, and what is typed at once replaces it.
  f.Text1->setText("50");
  f.Text2->setText("5");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  QCOMPARE(QApplication::focusWidget(), f.Text1);
  QTest::keyClicks(f.Text1, "49");
  QCOMPARE(f.Text1->text(), QString("49"));
  QTest::keyClick(f.Text1, Qt::Key_Tab);
  QTRY_COMPARE(f.Text2->selectedText(), QString("5"));

  // A screen reader reads a value run by run: one run over the whole value,
  // or Orca drops its last character.
  int start = -1, end = -1;
  QAccessible::queryAccessibleInterface(f.Text1)->textInterface()->attributes(1, &start, &end);
  QCOMPARE(QPair(start, end), QPair(0, 2));
}

void InputFormTest::enterRunsFromEveryControl_data() {
  // clang-format off
  QTest::addColumn<QString>("control");
  QTest::addColumn<int>("key");
  for (const char* name : {"Text1", "Text4", "Text7", "Command1", "Option3"}) {
    QTest::addRow("Return in %s", name) << name << int(Qt::Key_Return);
  }
  QTest::newRow("keypad Enter in Text6") << "Text6" << int(Qt::Key_Enter);
  QTest::newRow("Space on Command1") << "Command1" << int(Qt::Key_Space);
  // clang-format on
}

void InputFormTest::enterRunsFromEveryControl() {
  QFETCH(QString, control);
  QFETCH(int, key);
  TestProgram t(QDate(2024, 5, 3), {}, bio::Utf8ToCp932("\"a\",\"昭和\",\"50\",\"5\",\"3\"\r\n"),
                true);
  t.program->Start();
  QVERIFY(QTest::qWaitForWindowActive(&t.Nurel()));
  QWidget* target = t.Nurel().findChild<QWidget*>(control);
  target->setFocus();
  QTest::keyClick(target, Qt::Key(key));
  QVERIFY(t.program->forms.SindanExists());
  QVERIFY(t.Sindan().isVisible());
  QVERIFY(!t.Nurel().isVisible());
  QCOMPARE(t.Sindan().Text9->text(), QString("17898"));
}

void InputFormTest::closingBeforeARunEndsTheProgram() {
  TestProgram t;
  t.program->Start();
  QVERIFY(!t.ended);
  t.Nurel().close();
  QVERIFY(t.ended);
  QVERIFY(!t.program->forms.SindanExists());
}

void InputFormTest::everyInputHasAnAccessibleName() {
  TestProgram t;
  QStringList unnamed;
  for (QWidget* w : t.Nurel().findChildren<QWidget*>()) {
    if ((w->focusPolicy() & Qt::TabFocus) && w->accessibleName().isEmpty()) {
      unnamed << w->objectName();
    }
  }
  QCOMPARE(unnamed, QStringList());
  QCOMPARE(t.Nurel().Text5->accessibleName(), QString("現在の西暦年月日入力 月"));
}

void InputFormTest::textSegmentsForAScreenReader_data() {
  // clang-format off
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("kind");  // QAccessible::TextBoundaryType
  QTest::addColumn<QString>("segments");  // as read from the start, "|" between
  const int chars = QAccessible::CharBoundary, words = QAccessible::WordBoundary;
  QTest::newRow("漢字, characters") << "山田太郎" << chars << "山|田|太|郎";
  QTest::newRow("漢字, words") << "山田太郎" << words << "山田太郎";
  QTest::newRow("かな, words") << "やまだ はなこ" << words << "やまだ |はなこ";
  QTest::newRow("カナ, ideographic space") << "ヤマダ　タロウ" << words << "ヤマダ　|タロウ";
  QTest::newRow("Latin, words") << "Yamada Taro" << words << "Yamada |Taro";
  QTest::newRow("Latin, sentence") << "Yamada Taro" << int(QAccessible::SentenceBoundary)
                                   << "Yamada Taro";
  QTest::newRow("mixed, words") << "山田 Taro, 50" << words << "山田 |Taro|, |50";
  QTest::newRow("mixed, line") << "山田 Taro, 50" << int(QAccessible::LineBoundary)
                               << "山田 Taro, 50";
  QTest::newRow("𠮷, characters") << "𠮷野家" << chars << "𠮷|野|家";
  QTest::newRow("empty, characters") << "" << chars << "";
  QTest::newRow("empty, words") << "" << words << "";
  // clang-format on
}

// What a screen reader is told at each caret place: the segment holding the
// offset (a surrogate pair whole), its neighbours before and after, and at
// the end, where End leaves the caret, the empty character or the last word.
void InputFormTest::textSegmentsForAScreenReader() {
  QFETCH(QString, text);
  QFETCH(int, kind);
  QFETCH(QString, segments);
  using bio::TextSegment, bio::TextSide;
  const auto type = QAccessible::TextBoundaryType(kind);
  const int length = int(text.size());
  QList<TextSegment> found;
  for (int offset = 0; offset < length; ++offset) {
    const TextSegment at = bio::SegmentOf(text, type, TextSide::At, offset);
    QVERIFY2(at.start <= offset && offset < at.end, qPrintable(QString::number(offset)));
    if (found.isEmpty() || !(found.last() == at)) found << at;
  }
  QStringList read;
  for (const TextSegment& s : found) read << text.mid(s.start, s.end - s.start);
  QCOMPARE(read.join('|'), segments);
  for (qsizetype i = 0; i < found.size(); ++i) {
    const TextSegment before = i > 0 ? found[i - 1] : TextSegment{0, 0};
    const TextSegment after = i + 1 < found.size() ? found[i + 1] : TextSegment{length, length};
    QVERIFY(bio::SegmentOf(text, type, TextSide::Before, found[i].start) == before);
    QVERIFY(bio::SegmentOf(text, type, TextSide::After, found[i].start) == after);
  }
  const TextSegment end = bio::SegmentOf(text, type, TextSide::At, length);
  const TextSegment last = found.isEmpty() || type == QAccessible::CharBoundary
                               ? TextSegment{length, length}
                               : found.last();
  QVERIFY(end == last);
  QVERIFY(bio::SegmentOf(text, type, TextSide::At, length + 1) == (TextSegment{-1, -1}));
}

QTEST_MAIN(InputFormTest)
#include "input_form_test.moc"
