#include "forms/forms.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <algorithm>

#include "forms/input_form.h"
#include "forms/printer.h"
#include "forms/result_form.h"

// A static library's resources must be registered by hand, outside any namespace.
static void InitResources() { Q_INIT_RESOURCE(resources); }

namespace bio {

namespace {

QIcon ProgramIcon() {
  static const QIcon icon = [] {
    InitResources();
    QIcon result;
    QSvgRenderer svg(QStringLiteral(":/biorhythm/icon.svg"));
    for (int size : {16, 24, 32, 48, 64, 128}) {
      QPixmap pixmap(size, size);
      pixmap.fill(Qt::transparent);
      QPainter painter(&pixmap);
      svg.render(&painter);
      painter.end();
      result.addPixmap(pixmap);
    }
    return result;
  }();
  return icon;
}

void SetWindowLook(QWidget& form) {
  form.setWindowTitle(QString::fromUtf8(kProgramTitle));
  form.setWindowIcon(ProgramIcon());
}

// The window's frame around its inside, once the window system has told it.
QMargins FrameMargins(const QWidget& window) {
  const QRect frame = window.frameGeometry();
  const QRect inside = window.geometry();
  return {inside.left() - frame.left(), inside.top() - frame.top(), frame.right() - inside.right(),
          frame.bottom() - inside.bottom()};
}

// On the screen of `guide` and with its frame (known once it has been shown),
// else on the screen under the mouse.
void PlaceOnScreen(QWidget& form, const QWidget* guide) {
  QScreen* screen = guide ? guide->screen() : QGuiApplication::screenAt(QCursor::pos());
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QMargins frame = guide ? FrameMargins(*guide) : QMargins();
  const QRect placed =
      PlaceFrame(QRect(QPoint(0, 0), form.size()).marginsAdded(frame), screen->availableGeometry());
  form.move(placed.topLeft());  // move() places the frame's top-left corner
}

}  // namespace

QRect PlaceFrame(const QRect& frame, const QRect& available) {
  const int x = available.left() + std::max(0, (available.width() - frame.width()) / 2);
  const int y = available.top() + std::max(0, (available.height() - frame.height()) / 2);
  return {QPoint(x, y), frame.size()};
}

Forms::Forms(std::filesystem::path load_folder, std::filesystem::path save_folder,
             QString printer_pdf)
    : load_folder_(std::move(load_folder)),
      save_folder_(std::move(save_folder)),
      printer_pdf_(std::move(printer_pdf)) {}

Forms::~Forms() = default;

InputForm& Forms::Nurel() {
  if (!nurel_) {
    nurel_ = std::make_unique<InputForm>();
    SetWindowLook(*nurel_);
    if (nurel_created) nurel_created(*nurel_);
  }
  return *nurel_;
}

ResultForm& Forms::Sindan() {
  if (!sindan_) {
    sindan_ = std::make_unique<ResultForm>();
    SetWindowLook(*sindan_);
    if (sindan_created) sindan_created(*sindan_);
  }
  return *sindan_;
}

void Forms::Show(QWidget& form) {
  if (!form.property("Placed").toBool()) {
    form.setProperty("Placed", true);
    // The result window goes where the input window was, else the screen
    // under the mouse.
    const QWidget* guide = nurel_.get();
    if (!guide || guide == &form || !guide->property("Placed").toBool()) guide = nullptr;
    PlaceOnScreen(form, guide);
  }
  form.show();
  form.activateWindow();
}

void Forms::Hide(QWidget& form) { form.hide(); }

void Forms::End() {
  if (sindan_) sindan_->hide();
  if (nurel_) nurel_->hide();
  if (end) {
    end();
  } else {
    QCoreApplication::exit(0);
  }
}

QString Forms::Today() const { return clock().toString(QStringLiteral("yyyy/MM/dd")); }

Printer& Forms::ThePrinter() {
  if (!printer_) printer_ = std::make_unique<Printer>(printer_pdf_);
  return *printer_;
}

QWidget* Forms::VisibleWindow() const {
  if (sindan_ && sindan_->isVisible()) return sindan_.get();
  if (nurel_ && nurel_->isVisible()) return nurel_.get();
  return nullptr;
}

void Forms::Message(const QString& text) {
  if (message) {
    message(text);
    return;
  }
  QMessageBox::warning(VisibleWindow(), QString::fromUtf8(kProgramTitle), text);
}

bool Forms::Ask(const Question& question) {
  if (ask) return ask(question.text);
  QMessageBox box(QMessageBox::Question, QString::fromUtf8(kProgramTitle), question.text,
                  QMessageBox::Yes | QMessageBox::No, VisibleWindow());
  box.button(QMessageBox::Yes)->setText(question.yes);
  box.button(QMessageBox::No)->setText(question.no);
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

QString Forms::ChooseSaveFile(const SaveDialogWords& words, const QString& suggested) {
  if (choose_save_file) return choose_save_file(suggested);
  QFileDialog dialog(VisibleWindow(), words.title);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(words.filter);
  dialog.setDefaultSuffix(QFileInfo(suggested).suffix());
  dialog.setDirectory(QFileInfo(suggested).absolutePath());
  dialog.selectFile(QFileInfo(suggested).fileName());
  // Only Qt's own dialog uses these; a desktop's native one speaks its own language.
  dialog.setLabelText(QFileDialog::LookIn, words.look_in);
  dialog.setLabelText(QFileDialog::FileName, words.file_name);
  dialog.setLabelText(QFileDialog::FileType, words.file_type);
  dialog.setLabelText(QFileDialog::Accept, words.save);
  dialog.setLabelText(QFileDialog::Reject, words.cancel);
  if (dialog.exec() != QDialog::Accepted) return {};
  const QStringList chosen = dialog.selectedFiles();
  return chosen.isEmpty() ? QString() : chosen.first();
}

QString Forms::DocumentsFolder() {
  QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (!documents.isEmpty() && QFileInfo(documents).isDir()) return documents;
  return QDir::homePath();
}

}  // namespace bio
