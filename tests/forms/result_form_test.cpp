// The result window: layout, captions, and the ways out of the program.

#include <QAccessible>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStyle>
#include <QTest>
#include <QTimer>

#include "diagnosis/wording.h"
#include "forms/picture_box.h"
#include "storage/cp932.h"
#include "support/test_program.h"

using bio::test::TestProgram;

class ResultFormTest : public QObject {
  Q_OBJECT

 private slots:
  void layoutInPixels_data();
  void layoutInPixels();
  void captions();
  void waysOut_data();
  void waysOut();
  void listLineSelectedOnFocus();
  void saveDialogAsShown();
  void coloursOfBothWindows_data();
  void coloursOfBothWindows();
};

void ResultFormTest::layoutInPixels_data() {
  // clang-format off
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("parent");
  QTest::addColumn<QRect>("geometry");
  QTest::newRow("Frame5") << "Frame5" << "sindan" << QRect(8, 8, 465, 65);
  QTest::newRow("Text9") << "Text9" << "Frame5" << QRect(136, 24, 65, 25);
  QTest::newRow("Text10") << "Text10" << "Frame5" << QRect(248, 24, 33, 26);
  QTest::newRow("Text12") << "Text12" << "Frame5" << QRect(424, 24, 33, 25);
  QTest::newRow("Text1") << "Text1" << "sindan" << QRect(552, 24, 57, 25);
  QTest::newRow("Frame1") << "Frame1" << "sindan" << QRect(616, 8, 81, 73);
  QTest::newRow("List1") << "List1" << "sindan" << QRect(8, 88, 697, 160);
  QTest::newRow("Text3") << "Text3" << "sindan" << QRect(24, 256, 25, 24);
  QTest::newRow("Text2") << "Text2" << "sindan" << QRect(104, 256, 65, 23);
  QTest::newRow("Command3") << "Command3" << "sindan" << QRect(320, 256, 145, 25);
  QTest::newRow("Command2") << "Command2" << "sindan" << QRect(488, 256, 105, 24);
  QTest::newRow("Command1") << "Command1" << "sindan" << QRect(608, 256, 65, 25);
  QTest::newRow("Picture1") << "Picture1" << "sindan" << QRect(8, 288, 697, 249);
  // clang-format on
}

void ResultFormTest::layoutInPixels() {
  QFETCH(QString, name);
  QFETCH(QString, parent);
  QFETCH(QRect, geometry);
  TestProgram t;
  auto* control = t.Sindan().findChild<QWidget*>(name);
  QVERIFY(control);
  QCOMPARE(control->parentWidget()->objectName(), parent);
  QCOMPARE(control->geometry(), geometry);
  QCOMPARE(t.Sindan().size(), QSize(711, 551));
}

void ResultFormTest::captions() {
  TestProgram t;
  QStringList labels;
  for (QLabel* label : t.Sindan().findChildren<QLabel*>()) labels << label->text();
  labels.sort();
  QStringList expected{"生まれてから今日までの日数",
                       "感情",
                       "知性",
                       "身体",
                       "誕生日は",
                       "感情:28日",
                       "知性:33日",
                       "身体:23日",
                       "月1日："};
  expected.sort();
  QCOMPARE(labels, expected);
  QCOMPARE(t.Sindan().Command1->text(), QString("終了"));
  QCOMPARE(t.Sindan().Command2->text(), QString("グラフ印刷"));
  QCOMPARE(t.Sindan().Command3->text(), QString("メッセージ印刷"));
  QCOMPARE(t.Sindan().windowTitle(), t.Nurel().windowTitle());
  QCOMPARE(QFontInfo(t.Sindan().List1->font()).family(), QString("IPAGothic"));
}

void ResultFormTest::waysOut_data() {
  // clang-format off
  QTest::addColumn<int>("key");  // pressed on the focused 終了; 0: clicked, -1: window closed
  QTest::newRow("終了") << 0;
  QTest::newRow("Return on 終了") << int(Qt::Key_Return);
  QTest::newRow("keypad Enter on 終了") << int(Qt::Key_Enter);
  QTest::newRow("closed from the title bar") << -1;
  // clang-format on
}

void ResultFormTest::waysOut() {
  QFETCH(int, key);
  TestProgram t(QDate(2024, 5, 3), {}, bio::Utf8ToCp932("\"a\",\"昭和\",\"1\",\"1\",\"1\"\r\n"),
                true);
  t.program->Start();
  QTest::mouseClick(t.Nurel().Command1, Qt::LeftButton);
  QVERIFY(t.Sindan().isVisible());
  QVERIFY(!t.ended);
  if (key < 0) {
    t.Sindan().close();
  } else if (key == 0) {
    QTest::mouseClick(t.Sindan().Command1, Qt::LeftButton);
  } else {
    t.Sindan().Command1->setFocus();
    QTest::keyClick(t.Sindan().Command1, Qt::Key(key),
                    key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
  }
  QVERIFY(t.ended);
  QVERIFY(!t.Sindan().isVisible());
  QVERIFY(!t.Nurel().isVisible());
}

// Tab into the message list selects its first line, which a screen reader
// then reads, rather than a current line that is not selected.
void ResultFormTest::listLineSelectedOnFocus() {
  TestProgram t(QDate(2024, 5, 3), {}, bio::Utf8ToCp932("\"a\",\"昭和\",\"1\",\"1\",\"1\"\r\n"),
                true);
  t.program->Start();
  QTest::mouseClick(t.Nurel().Command1, Qt::LeftButton);
  QVERIFY(QTest::qWaitForWindowActive(&t.Sindan()));
  QListWidget* list = t.Sindan().List1;
  list->setFocus(Qt::TabFocusReason);
  QTRY_COMPARE(list->selectedItems(), QList<QListWidgetItem*>{list->item(0)});
  QCOMPARE(list->currentRow(), 0);
}

// Qt's own save dialog as the person gets it, worded by the program, over
// the result window; its file name box answers a screen reader's question
// for the word at the start of a Japanese name (Qt 6.4's own answer never
// comes).
void ResultFormTest::saveDialogAsShown() {
  TestProgram t;
  t.program->forms.choose_save_file = nullptr;
  QStringList shown;
  QTimer::singleShot(0, [&shown] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    shown << dialog->windowTitle();
    for (const char* name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"}) {
      auto* label = dialog->findChild<QLabel*>(name);
      shown << (label ? label->text() : QString("no %1").arg(name));
    }
    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    for (QAbstractButton* button : buttons->buttons()) {
      shown << QString("%1: %2").arg(buttons->buttonRole(button)).arg(button->text());
    }
    auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
    shown << name->text();
    int start = -1, end = -1;
    shown << QAccessible::queryAccessibleInterface(name)->textInterface()->textAtOffset(
        0, QAccessible::WordBoundary, &start, &end);
    dialog->reject();
  });
  const QString chosen = t.program->forms.ChooseSaveFile(
      bio::SavePdfDialogWords(), QString::fromStdString((t.Folder() / "山田太郎.pdf").string()));
  QCOMPARE(chosen, QString());
  const QStringList expected{"PDFファイルとして保存", "場所：",  "ファイル名：",
                             "ファイルの種類：",      "0: 保存", "1: キャンセル",
                             "山田太郎.pdf",          "山田太郎"};
  QCOMPARE(shown, expected);
}

void ResultFormTest::coloursOfBothWindows_data() {
  // clang-format off
  QTest::addColumn<bool>("dark");
  QTest::newRow("default desktop") << false;
  QTest::newRow("dark colour scheme") << true;
  // clang-format on
}

// The forms, frames and labels keep the colours of their layout tables, with
// black text and light option indicators also when the desktop's scheme is
// dark; text boxes and buttons the style's own.
void ResultFormTest::coloursOfBothWindows() {
  QFETCH(bool, dark);
  TestProgram t;
  const QPalette desktop = QApplication::palette();
  const auto restore = qScopeGuard([&] { QApplication::setPalette(desktop); });
  if (dark) {  // as a dark GTK or KDE scheme gives it: light text on dark grey
    QApplication::setPalette(QPalette(QColor(238, 238, 236), QColor(53, 53, 53), QColor(80, 80, 80),
                                      QColor(20, 20, 20), QColor(40, 40, 40), Qt::white,
                                      QColor(45, 45, 45)));
  }
  const QColor green(128, 255, 128), yellow(255, 255, 128), cyan(128, 255, 255);
  const QColor orange(255, 224, 192);
  QWidget* const nurel = &t.Nurel();
  QWidget* const sindan = &t.Sindan();
  const struct {
    QWidget* form;
    const char* name;  // nullptr: the form itself
    QColor back;
  } backs[] = {
      {nurel, nullptr, green},    {nurel, "Frame3", green},   {nurel, "Frame1", yellow},
      {nurel, "Frame2", cyan},    {nurel, "Option5", yellow}, {sindan, nullptr, orange},
      {sindan, "Frame5", orange}, {sindan, "Frame1", orange},
  };
  for (const auto& row : backs) {
    QWidget* w = row.name ? row.form->findChild<QWidget*>(row.name) : row.form;
    QVERIFY2(w && w->autoFillBackground(), row.name);
    QCOMPARE(w->palette().color(w->backgroundRole()), row.back);
  }
  for (QWidget* form : {nurel, sindan}) {
    QWidgetList captioned;
    for (QWidget* w : form->findChildren<QLabel*>()) captioned << w;
    for (QWidget* w : form->findChildren<QGroupBox*>()) captioned << w;
    for (QWidget* w : form->findChildren<QRadioButton*>()) captioned << w;
    for (QWidget* w : captioned) {
      for (QPalette::ColorRole role :
           {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        QVERIFY2(w->palette().color(role).lightness() < 64, qPrintable(w->objectName()));
      }
      // The inside of an option's circle, which the Windows style fills with Base.
      QVERIFY2(w->palette().color(QPalette::Base).lightness() > 192, qPrintable(w->objectName()));
    }
    for (QLabel* label : form->findChildren<QLabel*>()) {
      QCOMPARE(label->palette().color(QPalette::Window),
               label->parentWidget()->palette().color(QPalette::Window));
      QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::black));
    }
    QWidgetList standard_controls;
    for (QWidget* w : form->findChildren<QPushButton*>()) standard_controls << w;
    for (QWidget* w : form->findChildren<QLineEdit*>()) standard_controls << w;
    const QPalette standard = form->style()->standardPalette();
    for (QWidget* w : standard_controls) {
      for (QPalette::ColorRole role : {QPalette::Window, QPalette::Button, QPalette::Base}) {
        QCOMPARE(w->palette().color(role), standard.color(role));
      }
    }
  }
}

QTEST_MAIN(ResultFormTest)
#include "result_form_test.moc"
