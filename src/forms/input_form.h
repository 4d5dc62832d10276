#pragma once

#include <QWidget>
#include <array>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace bio {

// Nurel, the start-up window: name, birth date as era, year, month and day,
// and today's Western date. Lays out and names its controls; what they mean
// is up to its event procedures.
class InputForm : public QWidget {
  Q_OBJECT

 public:
  explicit InputForm(QWidget* parent = nullptr);

  QLineEdit* Text1;  // birth year within the era
  QLineEdit* Text2;  // birth month
  QLineEdit* Text3;  // birth day
  QLineEdit* Text4;  // current year
  QLineEdit* Text5;  // current month
  QLineEdit* Text6;  // current day
  QLineEdit* Text7;  // person's name
  std::array<QRadioButton*, 5> Options;  // Option1..Option5, 明治 .. 令和
  QPushButton* Command1;                 // the default button

 signals:
  void closed();

 protected:
  // Enter anywhere in the form clicks the default button, as a dialog would.
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
};

}  // namespace bio
