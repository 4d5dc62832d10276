#include "forms/forms.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSvgRenderer>

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

}  // namespace

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
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
      QRect frame(QPoint(0, 0), form.size());
      frame.moveCenter(screen->availableGeometry().center());
      form.move(frame.topLeft());
    }
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

void Forms::Message(const QString& text) {
  if (message) {
    message(text);
    return;
  }
  QWidget* parent = nullptr;
  if (sindan_ && sindan_->isVisible()) parent = sindan_.get();
  else if (nurel_ && nurel_->isVisible()) parent = nurel_.get();
  QMessageBox::warning(parent, QString::fromUtf8(kProgramTitle), text);
}

}  // namespace bio
