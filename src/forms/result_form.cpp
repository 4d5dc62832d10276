#include "forms/result_form.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "forms/controls.h"
#include "forms/fonts.h"
#include "forms/picture_box.h"

namespace bio {

namespace {
const QColor kOrange(255, 224, 192);
}  // namespace

ResultForm::ResultForm(QWidget* parent) : QWidget(parent) {
  setObjectName("sindan");
  setFixedSize(Px(10665), Px(8265));
  SetBackground(*this, kOrange);
  const QFont form_font = FormFont(kGothic, 12);
  setFont(form_font);

  const QFont f1125 = FormFont(kGothic, 11.25);
  const QFont f975 = FormFont(kGothic, 9.75);
  const QFont f9 = FormFont(kGothic, 9);
  const QColor standard;
  const QColor white(255, 255, 255);
  using K = ControlKind;

  const ControlSpec table[] = {
      {"Frame5", -1, K::Frame, nullptr, "バイオリズム計算", 120, 120, 6975, 975, form_font, kOrange,
       0},
      {"Label10", -1, K::Label, "Frame5", "生まれてから今日までの日数", 240, 360, 1815, 495, f975,
       kOrange, 5},
      {"Text9", -1, K::TextBox, "Frame5", nullptr, 2040, 360, 975, 375, form_font, standard, 4},
      {"Label4", -1, K::Label, "Frame5", "感情", 3120, 360, 615, 375, form_font, kOrange, 8},
      {"Text10", -1, K::TextBox, "Frame5", nullptr, 3720, 360, 495, 390, form_font, standard, 3},
      {"Label8", -1, K::Label, "Frame5", "知性", 4440, 360, 615, 375, form_font, kOrange, 7},
      {"Text11", -1, K::TextBox, "Frame5", nullptr, 5040, 360, 495, 375, form_font, standard, 2},
      {"Label9", -1, K::Label, "Frame5", "身体", 5760, 360, 615, 375, form_font, kOrange, 6},
      {"Text12", -1, K::TextBox, "Frame5", nullptr, 6360, 360, 495, 375, form_font, standard, 1},
      {"Label2", -1, K::Label, nullptr, "誕生日は", 7320, 480, 975, 375, f975, kOrange, 16},
      {"Text1", -1, K::TextBox, nullptr, nullptr, 8280, 360, 855, 375, f1125, standard, 15},
      {"Frame1", -1, K::Frame, nullptr, "周期", 9240, 120, 1215, 1095, f975, kOrange, 11},
      {"Label1", 0, K::Label, "Frame1", "感情:28日", 120, 240, 975, 255, f9, kOrange, 12},
      {"Label1", 1, K::Label, "Frame1", "知性:33日", 120, 480, 975, 255, f9, kOrange, 13},
      {"Label1", 2, K::Label, "Frame1", "身体:23日", 120, 720, 975, 255, f9, kOrange, 14},
      {"List1", -1, K::List, nullptr, nullptr, 120, 1320, 10455, 2400, f9, standard, 9},
      {"Text3", -1, K::TextBox, nullptr, nullptr, 360, 3840, 375, 360, form_font, standard, 18},
      {"Label3", -1, K::Label, nullptr, "月1日：", 720, 3840, 975, 375, form_font, kOrange, 19},
      {"Text2", -1, K::TextBox, nullptr, nullptr, 1560, 3840, 975, 345, form_font, standard, 17},
      {"Command3", -1, K::Command, nullptr, "メッセージ印刷", 4800, 3840, 2175, 375, form_font,
       standard, 22},
      {"Command2", -1, K::Command, nullptr, "グラフ印刷", 7320, 3840, 1575, 360, form_font,
       standard, 21},
      {"Command1", -1, K::Command, nullptr, "終了", 9120, 3840, 975, 375, form_font, standard, 20},
      {"Picture1", -1, K::Picture, nullptr, nullptr, 120, 4320, 10455, 3735, form_font, white, 10},
  };
  BuildControls(*this, table);

  auto text = [this](const char* name) { return Control<QLineEdit>(*this, name); };
  Text1 = text("Text1");
  Text2 = text("Text2");
  Text3 = text("Text3");
  Text9 = text("Text9");
  Text10 = text("Text10");
  Text11 = text("Text11");
  Text12 = text("Text12");
  List1 = Control<QListWidget>(*this, "List1");
  Picture1 = Control<PictureBox>(*this, "Picture1");
  Command1 = Control<QPushButton>(*this, "Command1");
  Command2 = Control<QPushButton>(*this, "Command2");
  Command3 = Control<QPushButton>(*this, "Command3");
  for (QPushButton* button : {Command1, Command2, Command3}) button->setAutoDefault(false);

  // A screen reader names the window as the result, and reads each value by
  // the label beside it; the month and its first day's weekday, whose label
  // 月1日： stands between them, by what each of them is.
  setAccessibleName(QString::fromUtf8("バイオリズム診断の結果"));
  SetAccessibleNames({
      {Text9, "生まれてから今日までの日数"},
      {Text10, "感情"},
      {Text11, "知性"},
      {Text12, "身体"},
      {Text1, "誕生日は"},
      {Text3, "月"},
      {Text2, "1日の曜日"},
      {List1, "診断メッセージ"},
  });
  List1->installEventFilter(this);
}

void ResultForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
      button->click();
      return;
    }
  }
  QWidget::keyPressEvent(event);
}

bool ResultForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == List1 && event->type() == QEvent::FocusIn) {
    QMetaObject::invokeMethod(this, &ResultForm::FocusCurrentLine, Qt::QueuedConnection);
  }
  return QWidget::eventFilter(watched, event);
}

void ResultForm::FocusCurrentLine() {
  if (!List1->hasFocus() || List1->count() == 0) return;
  // Left to itself the list makes its first line current but unselected,
  // and a screen reader names only the list: the first Down arrow then
  // seems to pass over line one.
  if (List1->selectedItems().isEmpty()) List1->setCurrentRow(0);
  QAccessibleEvent focus(List1, QAccessible::Focus);
  focus.setChild(List1->currentRow());
  QAccessible::updateAccessibility(&focus);
}

void ResultForm::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  emit closed();
}

}  // namespace bio
