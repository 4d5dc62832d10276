#include "forms/input_form.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "forms/controls.h"
#include "forms/fonts.h"

namespace bio {

namespace {

const QColor kGreen(128, 255, 128);
const QColor kYellow(255, 255, 128);
const QColor kCyan(128, 255, 255);

}  // namespace

InputForm::InputForm(QWidget* parent) : QWidget(parent) {
  setObjectName("Nurel");
  setFixedSize(Px(7860), Px(8565));
  SetBackground(*this, kGreen);

  const QFont f1 = FormFont(kGothic, 12);
  const QFont f2 = FormFont(kGothic, 14.25);
  const QFont f3 = FormFont(kGothic, 11.25);
  const QFont f4 = FormFont(kPGothic, 11.25);
  const QFont f5 = FormFont(kGothic, 9.75);
  const QColor standard;
  using K = ControlKind;

  const ControlSpec table[] = {
      {"Frame3", -1, K::Frame, nullptr, "氏名の入力", 240, 120, 3975, 1095, f1, kGreen, 20},
      {"Text7", -1, K::TextBox, "Frame3", nullptr, 840, 480, 2535, 375, f1, standard, 21},
      {"Frame1", -1, K::Frame, nullptr, "生年月日入力", 840, 1320, 6615, 3015, f2, kYellow, 1},
      {"Option1", -1, K::Option, "Frame1", nullptr, 240, 480, 975, 495, f3, kYellow, 2},
      {"Option2", -1, K::Option, "Frame1", nullptr, 240, 840, 1095, 615, f3, kYellow, 3},
      {"Option3", -1, K::Option, "Frame1", nullptr, 240, 1320, 975, 495, f3, kYellow, 4},
      {"Option4", -1, K::Option, "Frame1", nullptr, 240, 1800, 855, 495, f3, kYellow, 5},
      {"Option5", -1, K::Option, "Frame1", nullptr, 240, 2400, 975, 375, f4, kYellow, 22},
      {"Text1", -1, K::TextBox, "Frame1", nullptr, 1560, 1200, 615, 420, f2, standard, 6},
      {"Label1", 0, K::Label, "Frame1", "年", 2280, 1320, 615, 615, f3, kYellow, 9},
      {"Text2", -1, K::TextBox, "Frame1", nullptr, 3120, 1200, 615, 420, f2, standard, 7},
      {"Label2", 0, K::Label, "Frame1", "月", 3840, 1320, 615, 615, f3, kYellow, 10},
      {"Text3", -1, K::TextBox, "Frame1", nullptr, 4800, 1200, 615, 420, f2, standard, 8},
      {"Label3", 0, K::Label, "Frame1", "日", 5520, 1320, 615, 615, f3, kYellow, 11},
      {"Label5", -1, K::Label, nullptr,
       "生年月日を入力してから[Enter]キーを押すか，     "
       "[バイオリズム実行]ボタンをクリックしてください.",
       1440, 4560, 5775, 495, f5, kGreen, 19},
      {"Command1", -1, K::Command, nullptr, " バイオリズム実行", 2760, 5280, 2535, 495, f1,
       standard, 0},
      {"Frame2", -1, K::Frame, nullptr, "現在の西暦年月日入力", 840, 6120, 6495, 1335, f2, kCyan,
       12},
      {"Text4", -1, K::TextBox, "Frame2", nullptr, 1320, 555, 855, 420, f2, standard, 13},
      {"Label1", 1, K::Label, "Frame2", "年", 2280, 480, 615, 615, f3, kCyan, 16},
      {"Text5", -1, K::TextBox, "Frame2", nullptr, 3360, 555, 495, 420, f2, standard, 14},
      {"Label2", 2, K::Label, "Frame2", "月", 3960, 600, 615, 615, f3, kCyan, 17},
      {"Text6", -1, K::TextBox, "Frame2", nullptr, 5040, 555, 495, 420, f2, standard, 15},
      {"Label3", 1, K::Label, "Frame2", "日", 5520, 600, 615, 615, f3, kCyan, 18},
  };
  BuildControls(*this, table);

  auto text = [this](const char* name) { return Control<QLineEdit>(*this, name); };
  Text1 = text("Text1");
  Text2 = text("Text2");
  Text3 = text("Text3");
  Text4 = text("Text4");
  Text5 = text("Text5");
  Text6 = text("Text6");
  Text7 = text("Text7");
  // The captions are the era names themselves: the run takes the era from
  // the option that is on, and kojinfl.txt stores its name.
  for (std::size_t i = 0; i < Options.size(); ++i) {
    Options[i] = Control<QRadioButton>(*this, ("Option" + std::to_string(i + 1)).c_str());
    const std::string_view name = EraTable[i].name;
    Options[i]->setText(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
  }
  Command1 = Control<QPushButton>(*this, "Command1");
  Command1->setDefault(true);

  // The group takes its one stop at its frame's place, after the button:
  // 令和, last by its tab index, joins the other eras in the focus chain.
  // The arrow keys move within the group whatever the options' focus policy.
  QWidget::setTabOrder(Options[Options.size() - 2], Options.back());
  for (QRadioButton* option : Options) {
    connect(option, &QRadioButton::toggled, this, &InputForm::MakeChosenEraTheTabStop);
  }
  MakeChosenEraTheTabStop();

  // A screen reader reads each box by the frame and label that name it.
  SetAccessibleNames({
      {Text7, "氏名の入力"},
      {Text1, "生年月日入力 年"},
      {Text2, "生年月日入力 月"},
      {Text3, "生年月日入力 日"},
      {Text4, "現在の西暦年月日入力 年"},
      {Text5, "現在の西暦年月日入力 月"},
      {Text6, "現在の西暦年月日入力 日"},
  });
  for (QRadioButton* option : Options) option->setAccessibleName(option->text());
  Command1->setAccessibleName(Command1->text().trimmed());
}

const Era* InputForm::ChosenEra() const {
  for (std::size_t i = 0; i < Options.size(); ++i) {
    if (Options[i]->isChecked()) return &EraTable[i];
  }
  return nullptr;
}

void InputForm::ChooseEra(const Era* era) {
  if (era) Options[static_cast<std::size_t>(era - EraTable.data())]->setChecked(true);
}

void InputForm::MakeChosenEraTheTabStop() {
  const Era* chosen = ChosenEra();
  const std::size_t stop = chosen ? static_cast<std::size_t>(chosen - EraTable.data()) : 0;
  for (std::size_t i = 0; i < Options.size(); ++i) {
    Options[i]->setFocusPolicy(i == stop ? Qt::StrongFocus : Qt::ClickFocus);
  }
}

void InputForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    Command1->click();
    return;
  }
  QWidget::keyPressEvent(event);
}

void InputForm::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  emit closed();
}

}  // namespace bio
