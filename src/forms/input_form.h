#pragma once

#include <QWidget>
#include <array>

#include "engine/era.h"

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
  // Option1.., one per row of EraTable in its order, captioned with its name.
  std::array<QRadioButton*, EraTable.size()> Options;
  QPushButton* Command1;  // the default button

  // The era of the first option that is on, or nullptr when none is.
  const Era* ChosenEra() const;
  // Turns on the option of `era`; nullptr leaves every option as it is.
  void ChooseEra(const Era* era);

 signals:
  void closed();

 protected:
  // Enter anywhere in the form clicks the default button, as a dialog would.
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // The era options are one stop of Tab, as in GTK and Windows: the chosen
  // one, or the first while none is.
  void MakeChosenEraTheTabStop();
};

}  // namespace bio
