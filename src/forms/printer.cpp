#include "forms/printer.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include "forms/picture_box.h"

namespace bio {

namespace {
const char kNoPrinter[] =
    "プリンタが見つかりません。プリンタを設定してから、もう一度印刷してください。";
const char kRefused[] = "プリンタが印刷を受け付けませんでした。";
}  // namespace

Printer::Printer(QString pdf_path) : pdf_path_(std::move(pdf_path)) {
  font_.setPointSizeF(12);
}

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
    if (queue.isNull()) throw PrinterError(kNoPrinter);
    printer_ = std::make_unique<QPrinter>(queue, QPrinter::HighResolution);
  } else {
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer_->setOutputFormat(QPrinter::PdfFormat);
    printer_->setOutputFileName(pdf_path_);
  }
  auto painter = std::make_unique<QPainter>();
  if (!painter->begin(printer_.get()) || printer_->printerState() == QPrinter::Error) {
    printer_.reset();
    throw PrinterError(kRefused);
  }
  painter_ = std::move(painter);
  painter_->setFont(font_);
  y_ = 0;
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
  const bool failed = !ended || printer_->printerState() == QPrinter::Error ||
                      printer_->printerState() == QPrinter::Aborted;
  printer_.reset();
  if (failed) throw PrinterError(kRefused);
}

}  // namespace bio
