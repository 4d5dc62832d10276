#include "forms/printer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextBoundaryFinder>
#include <cerrno>
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

// Puts `bytes` in the file `path` whole or not at all: written to a
// temporary file beside it, flushed to the disk, and only then renamed over
// the name, so that a full disk or a failing write leaves an earlier file of
// that name as it was and nothing of the new one. Returns 0, or the errno of
// the call that failed.
int WriteWholeFile(const QString& path, const QByteArray& bytes) {
  const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
  // Short, so that it fits wherever the name itself does.
  QByteArray temp = folder + "/.biorhythm-XXXXXX";
  const int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return errno;
  // mkostemp makes it 0600. A PDF saved over an earlier file keeps that
  // file's mode, and its owner and group where it can, so that a page with a
  // name and a birth date is read by no more people than before; its mode
  // loses the group's bits where the group cannot be kept. A new PDF gets
  // what any new file gets.
  const mode_t mask = umask(0);
  umask(mask);
  mode_t mode = 0666 & ~mask;
  struct stat earlier;
  if (stat(QFile::encodeName(path).constData(), &earlier) == 0 && S_ISREG(earlier.st_mode)) {
    const bool group_kept = fchown(fd, earlier.st_uid, earlier.st_gid) == 0 ||
                            fchown(fd, uid_t(-1), earlier.st_gid) == 0;
    mode = earlier.st_mode & (group_kept ? 0777 : 0707);
  }
  int err = 0;
  for (qsizetype done = 0; done < bytes.size() && err == 0;) {
    const ssize_t n = write(fd, bytes.constData() + done, size_t(bytes.size() - done));
    if (n > 0) {
      done += n;
    } else if (n == 0 || errno != EINTR) {
      err = n == 0 ? EIO : errno;
    }
  }
  if (err == 0 && fchmod(fd, mode) != 0) err = errno;
  if (err == 0 && fsync(fd) != 0) err = errno;
  if (close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && rename(temp.constData(), QFile::encodeName(path).constData()) != 0) err = errno;
  if (err != 0) {
    unlink(temp.constData());
    return err;
  }
  // The new name reaches the disk with its folder.
  const int dir = open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return 0;
}

// How much of `line` fits in `width`: whole characters, and at least one
// after the first `keep` (a continued line's indent), so each line prints
// something.
qsizetype FittingLength(const QFontMetricsF& metrics, const QString& line, qsizetype keep,
                        qreal width) {
  QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, line);
  characters.setPosition(keep);
  qsizetype fits = characters.toNextBoundary();
  for (qsizetype next = characters.toNextBoundary();
       next != -1 && metrics.horizontalAdvance(line.left(next)) <= width;
       next = characters.toNextBoundary()) {
    fits = next;
  }
  return fits;
}

}  // namespace

PrinterError::PrinterError(Kind kind, std::optional<int> ipp_status)
    : std::runtime_error(kind == Kind::kNoDefaultPrinter ? "no default printer"
                         : kind == Kind::kFileNotWritten ? "the PDF file could not be written"
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
    device_ = printer_.get();
  } else {
    // The page of Qt's PDF printer: its size, margins and resolution.
    QPrinter page(QPrinter::HighResolution);
    page.setOutputFormat(QPrinter::PdfFormat);
    pdf_bytes_ = std::make_unique<QBuffer>();
    pdf_bytes_->open(QIODevice::WriteOnly);
    pdf_ = std::make_unique<QPdfWriter>(pdf_bytes_.get());
    pdf_->setPdfVersion(page.pdfVersion());
    pdf_->setCreator(page.creator());
    pdf_->setResolution(page.resolution());
    pdf_->setPageLayout(page.pageLayout());
    device_ = pdf_.get();
  }
  auto painter = std::make_unique<QPainter>();
  if (!painter->begin(device_)) {
    Close();
    throw PrinterError(PrinterError::Kind::kRefused);
  }
  painter_ = std::move(painter);
  if (FailedAfterBegin()) {
    // The painter must end before its device goes.
    Abort();
    throw PrinterError(PrinterError::Kind::kRefused);
  }
  painter_->setFont(font_);
  y_ = 0;
}

bool Printer::FailedAfterBegin() const {
  return printer_ && printer_->printerState() == QPrinter::Error;
}

void Printer::Close() {
  device_ = nullptr;
  printer_.reset();
  pdf_.reset();
  pdf_bytes_.reset();
}

void Printer::Abort() {
  if (!painter_) return;
  // Qt's PDF and CUPS engines cannot abort; others (Windows) drop the job.
  if (printer_) printer_->abort();
  painter_->end();
  painter_.reset();
  Close();
}

void Printer::PrintLine(const QString& text) {
  Begin();
  painter_->setFont(font_);
  const QFontMetricsF metrics(font_, device_);
  const qreal width = device_->width();
  qsizetype indent = 0;
  while (indent < text.size() && text[indent].isSpace()) ++indent;
  // An indent that would leave little room for the text is not repeated.
  if (metrics.horizontalAdvance(text.left(indent)) > width / 2) indent = 0;
  // A line that fits is drawn as it stands, in one piece.
  QString rest = text;
  qsizetype fits = metrics.horizontalAdvance(text) <= width
                       ? text.size()
                       : FittingLength(metrics, text, 0, width);
  for (;;) {
    if (y_ > 0 && y_ + metrics.height() > device_->height()) {
      device_->newPage();
      y_ = 0;
    }
    painter_->drawText(QPointF(0, y_ + metrics.ascent()), rest.left(fits));
    y_ += metrics.height();
    if (fits >= rest.size()) break;
    rest = text.left(indent) + rest.mid(fits);
    fits = FittingLength(metrics, rest, indent, width);
  }
}

void Printer::PaintPicture(const PictureBox& picture, double x, double y) {
  Begin();
  painter_->save();
  painter_->scale(device_->logicalDpiX() / 96.0, device_->logicalDpiY() / 96.0);
  painter_->translate(x, y);
  painter_->setClipRect(QRectF(QPointF(0, 0), QSizeF(picture.ImageSize())));
  picture.Replay(*painter_);
  painter_->restore();
}

void Printer::EndDoc() {
  if (!painter_) return;
  const bool ended = painter_->end();
  painter_.reset();
  if (pdf_) {
    const QByteArray bytes = pdf_bytes_->data();
    Close();
    if (!ended) throw PrinterError(PrinterError::Kind::kRefused);
    if (const int err = WriteWholeFile(pdf_path_, bytes)) throw PdfFileError(err);
    return;
  }
  bool failed = !ended || printer_->printerState() == QPrinter::Error ||
                printer_->printerState() == QPrinter::Aborted;
  std::optional<int> refusal;
  if (!failed) {
    refusal = CupsRefusal();
    failed = refusal.has_value();
  }
  Close();
  if (failed) throw PrinterError(PrinterError::Kind::kRefused, refusal);
}

}  // namespace bio
