#pragma once

#include <QFont>
#include <QString>
#include <memory>
#include <optional>
#include <stdexcept>

class QBuffer;
class QPagedPaintDevice;
class QPainter;
class QPdfWriter;
class QPrinter;

namespace bio {

class PictureBox;

// The printer could not take the job. The caller words it for the user from
// the kind and, for a refusal, the print system's IPP status; what() is a
// short English note for developers.
class PrinterError : public std::runtime_error {
 public:
  enum class Kind {
    kNoDefaultPrinter,  // no default queue to print on
    kRefused,           // the print system did not take the document
    kFileNotWritten,    // a PDF file could not be written whole
  };
  explicit PrinterError(Kind kind, std::optional<int> ipp_status = std::nullopt);
  Kind kind() const { return kind_; }
  // The IPP status CUPS gave for a refusal, when it gave one.
  std::optional<int> ipp_status() const { return ipp_status_; }

 private:
  Kind kind_;
  std::optional<int> ipp_status_;
};

// There is no printer at all: no default queue and none installed. The
// caller may offer another way to keep the page.
class NoPrinterError : public PrinterError {
 public:
  NoPrinterError() : PrinterError(Kind::kNoDefaultPrinter) {}
};

// A PDF file could not be written whole. Nothing of it was left behind, and
// an earlier file of that name is as it was.
class PdfFileError : public PrinterError {
 public:
  explicit PdfFileError(int error_number)
      : PrinterError(Kind::kFileNotWritten), error_number_(error_number) {}
  // The errno of the call that failed.
  int error_number() const { return error_number_; }

 private:
  int error_number_;
};

// The system's current printer, never chosen by a dialog. A document begins
// with the first output and ends with EndDoc; the next output starts a new one.
class Printer {
 public:
  // Pages go to the default print queue, or, when `pdf_path` is not empty, to
  // that PDF file (for tests and previews).
  explicit Printer(QString pdf_path = {});
  virtual ~Printer();
  Printer(const Printer&) = delete;
  Printer& operator=(const Printer&) = delete;

  void SetFontName(const QString& name);
  void SetFontSize(double points);
  // Prints `text` at the print position, then moves to the next line's start.
  // A line wider than the printable width goes on below, broken between two
  // characters, each further line indented by the blanks the text began
  // with; past the page's foot the lines go on on a new page.
  void PrintLine(const QString& text);
  // The picture box's persistent drawing, at its own physical size (its
  // pixels taken at 96 dpi), top-left corner at (x, y) pixels of 96 dpi.
  void PaintPicture(const PictureBox& picture, double x, double y);
  // Ends the document and hands it to the printer. Throws PrinterError when
  // the print system does not take it; the next output starts afresh. A PDF
  // file is put in place only once all of it is written and on the disk;
  // PdfFileError says why it could not be.
  void EndDoc();
  // Drops the open document, if any, so that nothing of it reaches the next
  // one: a PDF file is never written; a print queue gets the job cancelled
  // where the print system allows it.
  void Abort();

 protected:
  // Whether the print system failed right after a document began; tests
  // stand in for a failing one.
  virtual bool FailedAfterBegin() const;

 private:
  void Begin();
  void Close();

  QString pdf_path_;
  QFont font_;
  // A print queue's document, or a PDF file's, held in memory until it is
  // whole: Qt's PDF engine does not report a failed write.
  std::unique_ptr<QPrinter> printer_;
  std::unique_ptr<QBuffer> pdf_bytes_;
  std::unique_ptr<QPdfWriter> pdf_;
  QPagedPaintDevice* device_ = nullptr;  // whichever of the two is open
  std::unique_ptr<QPainter> painter_;
  double y_ = 0;  // print position, device units below the printable top
};

}  // namespace bio
