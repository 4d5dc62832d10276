#pragma once

#include <QWidget>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace bio {

class PictureBox;

// sindan, the window that shows a diagnosis. Lays out and names its controls;
// the diagnosis fills them and the event procedures answer its buttons.
class ResultForm : public QWidget {
  Q_OBJECT

 public:
  explicit ResultForm(QWidget* parent = nullptr);

  QLineEdit* Text1;   // weekday of the birth date
  QLineEdit* Text2;   // weekday of the first of the month
  QLineEdit* Text3;   // month number
  QLineEdit* Text9;   // days lived
  QLineEdit* Text10;  // emotion position
  QLineEdit* Text11;  // intellect position
  QLineEdit* Text12;  // physical position
  QListWidget* List1;
  PictureBox* Picture1;
  QPushButton* Command1;  // 終了
  QPushButton* Command2;  // グラフ印刷
  QPushButton* Command3;  // メッセージ印刷

 signals:
  void closed();

 protected:
  // Enter, as Space, presses the button that has the focus.
  void keyPressEvent(QKeyEvent* event) override;
  // The message list's current line, the first unless the user moved, is
  // selected and read when the list gets the focus.
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void FocusCurrentLine();
};

}  // namespace bio
