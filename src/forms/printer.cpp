#include "forms/printer.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <optional>
#include <string>

#if __has_include(<dlfcn.h>)
#include <dlfcn.h>
#endif

#include "forms/picture_box.h"

namespace bio {

namespace {

// Qt hands the finished document to CUPS and drops CUPS's answer, so a queue
// that rejects jobs (or vanished since we looked it up) would pass for a
// printed page. Ask the libcups that Qt's print plugin loaded how its last
// request on this thread went: its IPP status when it was refused, else
// nothing. We do not link libcups ourselves; where it is not loaded there is
// no CUPS to ask.
std::optional<int> CupsRefusal() {
#if __has_include(<dlfcn.h>)
  void* cups = dlopen("libcups.so.2", RTLD_LAZY | RTLD_NOLOAD);
  if (!cups) return std::nullopt;
  using LastError = int (*)();
  const auto last_error = reinterpret_cast<LastError>(dlsym(cups, "cupsLastError"));
  std::optional<int> refusal;
  // IPP status codes from 0x0400 up are the client and server errors.
  if (last_error && last_error() >= 0x0400) refusal = last_error();
  dlclose(cups);
  return refusal;
#else
  return std::nullopt;
#endif
}

}  // namespace

PrinterError::PrinterError(Kind kind, std::optional<int> ipp_status)
    : std::runtime_error(kind == Kind::kNoDefaultPrinter ? "no default printer"
                                                         : "the print system refused the document"),
      kind_(kind),
      ipp_status_(ipp_status) {}

Printer::Printer(QString pdf_path) : pdf_path_(std::move(pdf_path)) { font_.setPointSizeF(12); }

Printer::~Printer() {
  if (painter_) painter_->end();
}

void Printer::SetFontName(const QString& name) {
  font_.setFamily(name);
  if (painter_) painter_->setFont(font_);
}

void Printer::SetFontSize(double points) {
  font_.setPointSizeF(points);
  if (painter_) painter_->setFont(font_);
}

void Printer::Begin() {
  if (painter_) return;
  if (pdf_path_.isEmpty()) {
    // With no queue at all Qt quietly falls back to a PDF with no file name,
    // which would pass for a printed page; refuse that here.
    const QPrinterInfo queue = QPrinterInfo::defaultPrinter();
    if (queue.isNull()) {
      if (QPrinterInfo::availablePrinterNames().isEmpty()) throw NoPrinterError();
      throw PrinterError(PrinterError::Kind::kNoDefaultPrinter);
    }
    printer_ = std::make_unique<QPrinter>(queue, QPrinter::HighResolution);
  } else {
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer_->setOutputFormat(QPrinter::PdfFormat);
    printer_->setOutputFileName(pdf_path_);
  }
  auto painter = std::make_unique<QPainter>();
  if (!painter->begin(printer_.get())) {
    printer_.reset();
    throw PrinterError(PrinterError::Kind::kRefused);
  }
  painter_ = std::move(painter);
  if (FailedAfterBegin(*printer_)) {
    // The painter must end before its device goes.
    Abort();
    throw PrinterError(PrinterError::Kind::kRefused);
  }
  painter_->setFont(font_);
  y_ = 0;
}

bool Printer::FailedAfterBegin(const QPrinter& printer) const {
  return printer.printerState() == QPrinter::Error;
}

void Printer::Abort() {
  if (!painter_) return;
  // Qt's PDF and CUPS engines cannot abort; others (Windows) drop the job.
  printer_->abort();
  painter_->end();
  painter_.reset();
  printer_.reset();
  if (!pdf_path_.isEmpty()) QFile::remove(pdf_path_);
}

void Printer::PrintLine(const QString& text) {
  Begin();
  painter_->setFont(font_);
  const QFontMetricsF metrics(font_, printer_.get());
  painter_->drawText(QPointF(0, y_ + metrics.ascent()), text);
  y_ += metrics.height();
}

void Printer::PaintPicture(const PictureBox& picture, double x, double y) {
  Begin();
  painter_->save();
  painter_->scale(printer_->logicalDpiX() / 96.0, printer_->logicalDpiY() / 96.0);
  painter_->translate(x, y);
  painter_->setClipRect(QRectF(QPointF(0, 0), QSizeF(picture.ImageSize())));
  picture.Replay(*painter_);
  painter_->restore();
}

void Printer::EndDoc() {
  if (!painter_) return;
  const bool ended = painter_->end();
  painter_.reset();
  bool failed = !ended || printer_->printerState() == QPrinter::Error ||
                printer_->printerState() == QPrinter::Aborted;
  std::optional<int> refusal;
  if (!failed && pdf_path_.isEmpty()) {
    refusal = CupsRefusal();
    failed = refusal.has_value();
  }
  printer_.reset();
  if (failed) throw PrinterError(PrinterError::Kind::kRefused, refusal);
}

}  // namespace bio
