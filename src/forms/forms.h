#pragma once

#include <QDate>
#include <QRect>
#include <QString>
#include <filesystem>
#include <functional>
#include <memory>

class QWidget;

namespace bio {

class InputForm;
class Printer;
class ResultForm;

// A yes/no question and the words on its two buttons.
struct Question {
  QString text;
  QString yes;
  QString no;
};

// The words of a save dialog: its title, the file filter (e.g. "PDF (*.pdf)"),
// and the labels of Qt's own dialog (a desktop's native one has its own).
struct SaveDialogWords {
  QString title;
  QString filter;
  QString look_in;
  QString file_name;
  QString file_type;
  QString save;
  QString cancel;
};

// What the program needs of the window toolkit and its surroundings: the two
// windows, created on first reference and kept until the end; showing,
// hiding and ending; the folders of kojinfl.txt, today's date, the printer,
// the message box, the yes/no question and the save dialog. Hooks let the
// event procedures attach themselves and let tests stand in for the clock,
// the end of the process, message boxes, questions and the save dialog.
class Forms {
 public:
  // `load_folder`, `save_folder`: where kojinfl.txt is read and written.
  // `printer_pdf`: empty for the system's default print queue, else a PDF path.
  Forms(std::filesystem::path load_folder, std::filesystem::path save_folder,
        QString printer_pdf = {});
  ~Forms();
  Forms(const Forms&) = delete;
  Forms& operator=(const Forms&) = delete;

  // The input and result windows; the first reference creates them hidden.
  InputForm& Nurel();
  ResultForm& Sindan();
  bool NurelExists() const { return nurel_ != nullptr; }
  bool SindanExists() const { return sindan_ != nullptr; }

  // Shows without blocking. The first time, centred on the screen the other
  // window is on, else the one under the mouse, and kept inside its free area.
  void Show(QWidget& form);
  void Hide(QWidget& form);
  // Hides every window and ends the program's event loop.
  void End();

  const std::filesystem::path& PersonalFileLoadFolder() const { return load_folder_; }
  const std::filesystem::path& PersonalFileSaveFolder() const { return save_folder_; }
  // Today's date as the ten characters yyyy/mm/dd.
  QString Today() const;
  Printer& ThePrinter();
  // A warning in a message box over the visible window.
  void Message(const QString& text);
  // A question in a message box with its yes and no buttons; true for yes.
  bool Ask(const Question& question);
  // A save dialog worded by `words` that proposes `suggested` (folder and
  // file name; its suffix is added to a name typed without one) and lists
  // the files the filter names. The chosen path, or empty when cancelled.
  QString ChooseSaveFile(const SaveDialogWords& words, const QString& suggested);
  // The user's documents folder, or the home folder where there is none.
  static QString DocumentsFolder();

  // Called once when a window has just been created (its Load event).
  std::function<void(InputForm&)> nurel_created;
  std::function<void(ResultForm&)> sindan_created;
  std::function<QDate()> clock = [] { return QDate::currentDate(); };
  std::function<void()> end = nullptr;                    // default: leave the event loop
  std::function<void(const QString&)> message = nullptr;  // default: QMessageBox
  std::function<bool(const QString&)> ask = nullptr;      // passed the text; default: QMessageBox
  // Passed the suggested path; default: QFileDialog.
  std::function<QString(const QString&)> choose_save_file = nullptr;

 private:
  // The window a box or dialog belongs over: the visible one, if any.
  QWidget* VisibleWindow() const;

  std::filesystem::path load_folder_;
  std::filesystem::path save_folder_;
  QString printer_pdf_;
  std::unique_ptr<InputForm> nurel_;
  std::unique_ptr<ResultForm> sindan_;
  std::unique_ptr<Printer> printer_;
};

// Where a window whose frame is `frame` goes inside `available`: centred,
// and where it is too wide or too tall, against the left or top edge so that
// its title bar and top-left corner stay on the screen.
QRect PlaceFrame(const QRect& frame, const QRect& available);

// The title and icon shared by both windows.
inline constexpr char kProgramTitle[] = "バイオリズム診断";

}  // namespace bio
