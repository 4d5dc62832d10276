// The two printouts through a printer that writes PDF files, read back with
// poppler's tools (pdftotext, pdftoppm, pdffonts, pdfimages); and the result
// window's print buttons with no printer at all, which offer the page as a
// PDF file; and a print system failing part way.

#include "diagnosis/printouts.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <optional>

#include "forms/fonts.h"
#include "forms/forms.h"
#include "forms/picture_box.h"
#include "forms/printer.h"
#include "storage/file_size_limit.h"
#include "support/test_program.h"

using bio::test::TestProgram;

namespace {

// Runs before QTEST_MAIN creates the application, so that Qt's print plugin
// never sees the machine's own CUPS server or printers: the tests that print
// write PDF files, and "no printer" must really mean none.
void IsolateFromCups() {
  qputenv("CUPS_SERVER", "/nonexistent/cups.sock");
  qunsetenv("PRINTER");
  qunsetenv("LPDEST");
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}
Q_CONSTRUCTOR_FUNCTION(IsolateFromCups)

const char kNoPrinterText[] = "プリンタが見つかりません";

bool HavePoppler() {
  for (const char* tool : {"pdftotext", "pdftoppm", "pdffonts", "pdfimages", "pdfinfo"}) {
    if (QStandardPaths::findExecutable(tool).isEmpty()) return false;
  }
  return true;
}

QByteArray Run(const QString& program, const QStringList& args) {
  QProcess process;
  process.start(program, args);
  if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit ||
      process.exitCode() != 0) {
    qWarning() << program << args << "failed:" << process.readAllStandardError();
    return {};
  }
  return process.readAllStandardOutput();
}

// The page's text lines, in reading order, empty lines dropped. Poppler
// reads the ideographic space U+3000 back as a plain space; the layout test
// checks its width instead.
QStringList PdfLines(const QString& pdf) {
  const QString text = QString::fromUtf8(Run("pdftotext", {"-enc", "UTF-8", pdf, "-"}));
  QStringList lines;
  for (QString line : text.split('\n')) {
    line.remove('\f');
    if (!line.trimmed().isEmpty()) lines << line;
  }
  return lines;
}

QStringList Extracted(QStringList lines) {
  for (QString& line : lines) line.replace(QChar(0x3000), ' ');
  return lines;
}

int PdfPages(const QString& pdf) {
  const QRegularExpression pages(QStringLiteral("Pages:\\s+(\\d+)"));
  const auto match = pages.match(QString::fromUtf8(Run("pdfinfo", {pdf})));
  return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QImage PdfPage(const QString& pdf, int dpi) {
  const QString prefix = pdf + QStringLiteral(".page");
  Run("pdftoppm", {"-r", QString::number(dpi), "-png", "-singlefile", pdf, prefix});
  return QImage(prefix + ".png").convertToFormat(QImage::Format_RGB32);
}

// Word boxes in points from pdftotext -bbox: top left, right edge, height.
struct Word {
  QString text;
  double x, y, right, height;
};
QList<Word> PdfWords(const QString& pdf) {
  const QString html = QString::fromUtf8(Run("pdftotext", {"-bbox", "-enc", "UTF-8", pdf, "-"}));
  static const QRegularExpression word(
      QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                     "yMax=\"([\\d.]+)\">([^<]*)</word>"));
  QList<Word> words;
  for (auto it = word.globalMatch(html); it.hasNext();) {
    const auto m = it.next();
    const double top = m.captured(2).toDouble();
    words.append({m.captured(5), m.captured(1).toDouble(), top, m.captured(3).toDouble(),
                  m.captured(4).toDouble() - top});
  }
  return words;
}

// The printable area of a PDF page from QPrinter, in points: the printouts
// start at its top left and stay within its width.
QRectF PrintableAreaPoints() {
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  return printer.pageLayout().paintRectPoints();
}

// A file-size limit while it lives: a write past it fails with EFBIG, as
// one on a full disk fails with ENOSPC, once the program's start-up code has
// turned off the signal that would end it.
struct FileSizeLimit {
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, SIG_DFL);
    bio::IgnoreFileSizeSignal();
    const rlimit low{bytes, old.rlim_max};
    setrlimit(RLIMIT_FSIZE, &low);
  }
  ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old); }
  rlimit old{};
};

// The graph's three colours and black; edges are blended with white and
// with each other, so each is recognised by which channel dominates.
enum class Ink { kNone, kBlue, kGreen, kRed, kDark };
Ink InkOf(QRgb pixel) {
  const int r = qRed(pixel), g = qGreen(pixel), b = qBlue(pixel);
  if (b - std::max(r, g) > 50) return Ink::kBlue;
  if (g - std::max(r, b) > 50) return Ink::kGreen;
  if (r - std::max(g, b) > 80) return Ink::kRed;
  // Black text and the zero line; not where two curves blend at a crossing.
  const int high = std::max({r, g, b}), low = std::min({r, g, b});
  if (high < 100 && high - low < 40) return Ink::kDark;
  return Ink::kNone;
}

bool InkNear(const QImage& image, QPoint at, Ink ink, int radius) {
  for (int dy = -radius; dy <= radius; ++dy) {
    for (int dx = -radius; dx <= radius; ++dx) {
      const QPoint p = at + QPoint(dx, dy);
      if (image.rect().contains(p) && InkOf(image.pixel(p)) == ink) return true;
    }
  }
  return false;
}

QStringList ListLines(const QListWidget& list) {
  QStringList lines;
  for (int i = 0; i < list.count(); ++i) lines << list.item(i)->text();
  return lines;
}

// What the result window shows, to see that printing leaves it as it was.
struct Shown {
  QStringList boxes, list;
  QImage picture;
  bool visible;
  bool operator==(const Shown&) const = default;
};
Shown ShownOn(bio::ResultForm& r) {
  return {{r.Text1->text(), r.Text2->text(), r.Text3->text(), r.Text9->text(), r.Text10->text(),
           r.Text11->text(), r.Text12->text()},
          ListLines(*r.List1),
          r.Picture1->Image(),
          r.isVisible()};
}

const QString kEmotionHigh = "好調です！　気力旺盛，感も冴えています。";
const QString kEmotionCaution =
    "要注意日です！失言とか交通事故に注意すること。追い越しには気をつけてください。";
const QString kEmotionLow = "低調です！　対人関係に注意しましょう。";
const QString kIntellectHigh =
    "好調です！　頭の回転良し，重要な仕事の判断ＯＫ，難問などに挑戦するのも良いでしょう。";
const QString kIntellectCaution = "要注意日です！不注意なミス，忘れ物，ポカに注意すること";
const QString kIntellectLow =
    "低調です！復習や記憶することに重きをおいた勉強をすると良いでしょう。また，頭の休養が必要です"
    "。";
const QString kPhysicalHigh = "好調です！　体力スタミナすべてＯＫです。";
const QString kPhysicalCaution = "要注意日です！風邪や持病に注意すること";
const QString kPhysicalLow = "低調です！スタミナ欠乏，過激な仕事，運動を避けてください";
// Sixty characters: too long for one line of the page.
const QString kJugemu =
    "寿限無寿限無五劫の擦り切れ海砂利水魚の水行末雲来末風来末食う寝る処に住む処やぶら小路の藪柑子パ"
    "イポパイポパイポのシューリ";

}  // namespace

class PrintoutsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void reportLines_data();
  void reportLines();
  void reportIsTwelvePointMinchoFromTheTopLeft();
  void bothButtonsPrintTheFirstExample();
  void graphPageShowsTheWindowsPicture();
  void eachClickIsOneDocument();
  void noPrinterOffersAPdf_data();
  void noPrinterOffersAPdf();
  void pdfFileName_data();
  void pdfFileName();
  void failureAfterBeginLeavesNoPainterOnADeletedPrinter();
  void anExceptionPartWayDropsTheDocument();

 private:
  // Runs the first example through the windows, printing into `pdf`.
  static std::unique_ptr<TestProgram> FirstExample(const QString& pdf);
  QTemporaryDir out_;
};

void PrintoutsTest::initTestCase() {
  if (!HavePoppler()) QSKIP("poppler-utils (pdftotext, pdftoppm, ...) are not installed");
  QVERIFY(out_.isValid());
  // What the program does at start: ＭＳ 明朝 stands for IPAMincho.
  bio::InstallLook();
  // A home of the test's own, with no Documents folder.
  QVERIFY(QDir().mkpath(out_.filePath("home")));
  qputenv("HOME", out_.filePath("home").toUtf8());
  qputenv("XDG_CONFIG_HOME", out_.filePath("home/.config").toUtf8());
}

std::unique_ptr<TestProgram> PrintoutsTest::FirstExample(const QString& pdf) {
  auto t = std::make_unique<TestProgram>(QDate(2024, 5, 3), pdf);
  t->program->Start();
  t->Fill("山田太郎", 2, "50", "5", "3", "2024", "5", "3");
  QTest::mouseClick(t->Nurel().Command1, Qt::LeftButton);
  return t;
}

void PrintoutsTest::reportLines_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<int>("emotion");
  QTest::addColumn<double>("intellect");
  QTest::addColumn<int>("physical");
  QTest::addColumn<QStringList>("lines");  // after the name line

  QTest::newRow("days lived 10000")
      << "山田太郎" << 4 << 1.0 << 18
      << QStringList{"感情：4知性:1身体:18", "心の調子は，",   kEmotionHigh, "頭脳の調子は，",
                     kIntellectCaution,      "身体の調子は，", kPhysicalLow};
  QTest::newRow("days lived 0") << "山田太郎" << 0 << 0.0 << 0
                                << QStringList{"感情：0知性:0身体:0", "心の調子は，",
                                               kEmotionCaution,       "頭脳の調子は，",
                                               kIntellectCaution,     "身体の調子は，",
                                               kPhysicalCaution};
  // Paper reads position 2 as the screen does: high.
  QTest::newRow("days lived 2") << "山田太郎" << 2 << 2.0 << 2
                                << QStringList{"感情：2知性:2身体:2", "心の調子は，",
                                               kEmotionHigh,          "頭脳の調子は，",
                                               kIntellectHigh,        "身体の調子は，",
                                               kPhysicalHigh};
  QTest::newRow("first example run")
      << "山田太郎" << 6 << 12.0 << 4
      << QStringList{"感情：6知性:12身体:4", "心の調子は，",   kEmotionHigh, "頭脳の調子は，",
                     kIntellectHigh,         "身体の調子は，", kPhysicalHigh};
  QTest::newRow("second example run: the longest line")
      << "山田太郎" << 21 << 22.0 << 1
      << QStringList{"感情：21知性:22身体:1", "心の調子は，",   kEmotionLow,     "頭脳の調子は，",
                     kIntellectLow,           "身体の調子は，", kPhysicalCaution};
  QTest::newRow("fractional intellect between the ranges: heading only")
      << "山田太郎" << 16 << 16.5 << 13
      << QStringList{"感情：16知性:16.5身体:13", "心の調子は，",   kEmotionLow,
                     "頭脳の調子は，",           "身体の調子は，", kPhysicalLow};
  const QStringList first_example{"感情：6知性:12身体:4", "心の調子は，", kEmotionHigh,
                                  "頭脳の調子は，",       kIntellectHigh, "身体の調子は，",
                                  kPhysicalHigh};
  QTest::newRow("60-character name: the greeting wraps")
      << kJugemu << 6 << 12.0 << 4 << first_example;
  QTest::newRow("60-character name after two blanks: wrapped lines indented alike")
      << "　　" + kJugemu << 6 << 12.0 << 4 << first_example;
}

void PrintoutsTest::reportLines() {
  QFETCH(QString, name);
  QFETCH(int, emotion);
  QFETCH(double, intellect);
  QFETCH(int, physical);
  QFETCH(QStringList, lines);
  const QString greeting = name + "さんのバイオリズム診断をします。";

  bio::SharedState state;
  state.PersonIndex = 1;
  state.PersonName[1] = name.toStdString();
  state.SavedEmotionPosition = emotion;
  state.SavedIntellectPosition = intellect;
  state.SavedPhysicalPosition = std::int16_t(physical);
  // What the monthly graph leaves behind: the first of the month's positions.
  state.EmotionPosition[1] = std::int16_t((emotion + 26) % 28);
  state.IntellectPosition = intellect + 7;
  state.PhysicalPosition = physical + 5;

  const QString pdf = out_.filePath(QString("report-%1.pdf").arg(QTest::currentDataTag()));
  {
    bio::Printer printer(pdf);
    bio::PrintDailyReport(state, printer);
    printer.EndDoc();
  }
  QCOMPARE(PdfPages(pdf), 1);
  // Only a line too wide for the page goes on below: here the greeting with
  // a long name, on lines that read as the greeting and begin where it began.
  const QStringList printed = PdfLines(pdf);
  const qsizetype greeting_lines = printed.size() - lines.size();
  QCOMPARE(greeting_lines, name == "山田太郎" ? 1 : 2);
  QCOMPARE(printed.mid(greeting_lines), Extracted(lines));
  QCOMPARE(printed.mid(0, greeting_lines).join("").remove(' '),
           Extracted({greeting}).join("").remove(' '));
  const QList<Word> words = PdfWords(pdf);
  QCOMPARE(words[greeting_lines - 1].x, words[0].x);
  const QRectF printable = PrintableAreaPoints();
  for (const Word& word : words) {
    QVERIFY2(word.right <= printable.right() + 0.5, qPrintable(word.text));
  }

  // The current date's positions are back in place for whatever reads them next.
  QCOMPARE(int(state.EmotionPosition[1]), emotion);
  QCOMPARE(state.IntellectPosition, intellect);
  QCOMPARE(state.PhysicalPosition, double(physical));
}

void PrintoutsTest::reportIsTwelvePointMinchoFromTheTopLeft() {
  const QString pdf = out_.filePath("report-layout.pdf");
  bio::SharedState state;
  state.PersonIndex = 1;
  state.PersonName[1] = "山田太郎";
  state.SavedEmotionPosition = 4;
  state.SavedIntellectPosition = 1;
  state.SavedPhysicalPosition = 18;
  {
    bio::Printer printer(pdf);
    // Whatever the printer held before, the report sets its own face and size.
    printer.SetFontName("DejaVu Sans");
    printer.SetFontSize(30);
    bio::PrintDailyReport(state, printer);
    printer.EndDoc();
  }

  const QString fonts = QString::fromUtf8(Run("pdffonts", {pdf}));
  QVERIFY2(fonts.contains("IPAMincho"), qPrintable(fonts));
  QVERIFY2(!fonts.contains("DejaVu"), qPrintable(fonts));

  // One word a line, but for the emotion verdict, split at its ideographic
  // space, which must keep a full em of width.
  const QList<Word> words = PdfWords(pdf);
  QCOMPARE(words.size(), 9);
  QCOMPARE(words[3].text, QString("好調です！"));
  QCOMPARE(words[4].y, words[3].y);
  const double gap = words[4].x - (words[3].x + 5 * 12);
  QVERIFY2(gap > 11 && gap < 13, qPrintable(QString::number(gap)));

  QList<Word> lines = words;
  lines.removeAt(4);
  const QPointF origin = PrintableAreaPoints().topLeft();
  QVERIFY2(std::abs(lines[0].x - origin.x()) < 1.5, qPrintable(QString::number(lines[0].x)));
  QVERIFY2(std::abs(lines[0].y - origin.y()) < 3, qPrintable(QString::number(lines[0].y)));
  for (int i = 0; i < lines.size(); ++i) {
    // A 12-point em box; each line starts at the left edge, one line's
    // height below the one before.
    QVERIFY2(lines[i].height > 11 && lines[i].height < 16, qPrintable(lines[i].text));
    QVERIFY(std::abs(lines[i].x - lines[0].x) < 0.5);
    if (i > 0) {
      const double step = lines[i].y - lines[i - 1].y;
      QVERIFY2(step > 11.5 && step < 18, qPrintable(QString::number(step)));
    }
  }
}

void PrintoutsTest::bothButtonsPrintTheFirstExample() {
  const QString pdf = out_.filePath("first-example.pdf");
  auto t = FirstExample(pdf);
  bio::ResultForm& r = t->Sindan();
  QVERIFY(r.isVisible());
  const Shown before = ShownOn(r);

  QTest::mouseClick(r.Command3, Qt::LeftButton);
  QVERIFY(t->messages.isEmpty());
  QCOMPARE(PdfPages(pdf), 1);
  // The current date's positions, not the first of the month's (4, 10, 2)
  // that the graph left behind.
  QCOMPARE(
      PdfLines(pdf),
      Extracted({"山田太郎さんのバイオリズム診断をします。", "感情：6知性:12身体:4", "心の調子は，",
                 kEmotionHigh, "頭脳の調子は，", kIntellectHigh, "身体の調子は，", kPhysicalHigh}));
  QCOMPARE(int(t->program->state.EmotionPosition[1]), 6);
  QCOMPARE(t->program->state.IntellectPosition, 12.0);
  QCOMPARE(t->program->state.PhysicalPosition, 4.0);

  QTest::mouseClick(r.Command2, Qt::LeftButton);
  QVERIFY(t->messages.isEmpty());
  QCOMPARE(PdfPages(pdf), 1);
  const QStringList graph_text = PdfLines(pdf);
  const QString joined = graph_text.join('\n');
  QVERIFY2(joined.contains("月のバイオリズムグラフ"), qPrintable(joined));
  QVERIFY2(joined.contains(":感情") && joined.contains(":知性") && joined.contains(":身体"),
           qPrintable(joined));
  QVERIFY2(!joined.contains("診断をします"), qPrintable(joined));
  // Lines and text stay vector drawing, sharp at any printer resolution: no
  // bitmap of the screen picture goes into the page.
  const QStringList images =
      QString::fromUtf8(Run("pdfimages", {"-list", pdf})).split('\n', Qt::SkipEmptyParts);
  QCOMPARE(images.size(), 2);  // the two header lines, no image rows

  QCOMPARE(ShownOn(r), before);
}

void PrintoutsTest::graphPageShowsTheWindowsPicture() {
  const QString pdf = out_.filePath("graph.pdf");
  auto t = FirstExample(pdf);
  bio::PictureBox& picture = *t->Sindan().Picture1;
  QTest::mouseClick(t->Sindan().Command2, Qt::LeftButton);
  QVERIFY(t->messages.isEmpty());

  // At 96 dpi a page pixel is a window pixel: the picture must come out at
  // its own size, 7.2 inches across, from the top left of the printable area.
  const QImage page = PdfPage(pdf, 96);
  QVERIFY(!page.isNull());
  const QImage window = picture.Image().convertToFormat(QImage::Format_RGB32);
  QCOMPARE(window.size(), picture.ImageSize());
  QVERIFY(window.width() > 680 && window.width() < 700);
  const QPointF origin_points = PrintableAreaPoints().topLeft();
  const QPoint origin = (origin_points * 96.0 / 72.0).toPoint();
  const QRect placed(origin, window.size());

  // Every curve pixel of the window has its ink at the same place on paper.
  int checked[5] = {}, missing[5] = {};
  for (int y = 0; y < window.height(); ++y) {
    for (int x = 0; x < window.width(); ++x) {
      const Ink ink = InkOf(window.pixel(x, y));
      if (ink == Ink::kNone) continue;
      ++checked[int(ink)];
      if (!InkNear(page, origin + QPoint(x, y), ink, 1)) ++missing[int(ink)];
    }
  }
  for (Ink ink : {Ink::kBlue, Ink::kGreen, Ink::kRed, Ink::kDark}) {
    const int i = int(ink);
    QVERIFY2(checked[i] > 100, qPrintable(QString("ink %1: %2 pixels").arg(i).arg(checked[i])));
    QVERIFY2(missing[i] * 50 < checked[i],
             qPrintable(
                 QString("ink %1: %2 of %3 not on paper").arg(i).arg(missing[i]).arg(checked[i])));
  }

  // And the paper has nothing the window does not: blank beyond the picture.
  const QRect margin = placed.adjusted(-2, -2, 2, 2);
  int stray = 0, inked = 0, unmatched = 0;
  for (int y = 0; y < page.height(); ++y) {
    for (int x = 0; x < page.width(); ++x) {
      const Ink ink = InkOf(page.pixel(x, y));
      if (ink == Ink::kNone) continue;
      if (!margin.contains(x, y)) {
        ++stray;
        continue;
      }
      ++inked;
      if (!InkNear(window, QPoint(x, y) - origin, ink, 1)) ++unmatched;
    }
  }
  QCOMPARE(stray, 0);
  QVERIFY2(unmatched * 50 < inked, qPrintable(QString("%1 of %2").arg(unmatched).arg(inked)));

  // Printing leaves the window's picture as it was.
  QCOMPARE(picture.Image().convertToFormat(QImage::Format_RGB32), window);
}

void PrintoutsTest::eachClickIsOneDocument() {
  const QString pdf = out_.filePath("clicks.pdf");
  auto t = FirstExample(pdf);
  bio::ResultForm& r = t->Sindan();
  // A finished file after every click, so nothing waits for a later one.
  std::optional<double> report_top;
  for (QPushButton* button : {r.Command3, r.Command3, r.Command2, r.Command3}) {
    QFile::remove(pdf);
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(QFileInfo::exists(pdf));
    QCOMPARE(PdfPages(pdf), 1);
    const QStringList lines = PdfLines(pdf);
    if (button == r.Command3) {
      QCOMPARE(lines.size(), 8);
      QCOMPARE(lines[1], QString("感情：6知性:12身体:4"));
      // Each report starts at the top of its page, not where the last one ended.
      const double top = PdfWords(pdf).first().y;
      if (!report_top) report_top = top;
      QCOMPARE(top, *report_top);
    } else {
      QVERIFY(!lines.join("").contains("診断をします"));
    }
  }
  QVERIFY(t->messages.isEmpty());
}

void PrintoutsTest::noPrinterOffersAPdf_data() {
  QTest::addColumn<QString>("button");
  QTest::addColumn<bool>("answer");
  QTest::addColumn<QString>("chosen");   // relative to the test's folder; "" cancels
  QTest::addColumn<QString>("saved");    // what the PDF holds: report, graph or nothing
  QTest::addColumn<int>("limit");        // a file-size limit in bytes while saving; 0: none
  QTest::addColumn<QString>("failure");  // the reason the message gives; "": no message
  QTest::addColumn<int>("earlier");      // the mode of an earlier file of that name; 0: none
  QTest::newRow("メッセージ印刷, はい") << "Command3" << true << "report.pdf"
                                        << "report" << 0 << "" << 0;
  QTest::newRow("グラフ印刷, はい") << "Command2" << true << "graph.pdf"
                                    << "graph" << 0 << "" << 0;
  QTest::newRow("いいえ: no dialog") << "Command3" << false << "unused.pdf"
                                     << "" << 0 << "" << 0;
  QTest::newRow("dialog cancelled") << "Command2" << true << ""
                                    << "" << 0 << "" << 0;
  QTest::newRow("folder missing: save fails") << "Command3" << true << "missing/report.pdf"
                                              << "" << 0 << "保存先のフォルダがありません。" << 0;
  // A PDF needs far more than 2,000 bytes: the disk is full part way.
  QTest::newRow("file-size limit: nothing left, the earlier file kept")
      << "Command3" << true << "report.pdf"
      << "" << 2000 << "ディスクの空きが足りません。" << 0644;
  QTest::newRow("over an earlier 0600 file: still 0600") << "Command3" << true << "report.pdf"
                                                         << "report" << 0 << "" << 0600;
}

void PrintoutsTest::noPrinterOffersAPdf() {
  QFETCH(QString, button);
  QFETCH(bool, answer);
  QFETCH(QString, chosen);
  QFETCH(QString, saved);
  QFETCH(int, limit);
  QFETCH(QString, failure);
  QFETCH(int, earlier);
  auto t = FirstExample(QString());  // the system's default printer: none here
  const QDir folder(out_.filePath(QTest::currentDataTag()));
  QVERIFY(QDir().mkpath(folder.path()));
  t->answer = answer;
  t->chosen = chosen.isEmpty() ? QString() : folder.filePath(chosen);
  // What a failed save must leave as it was.
  const QByteArray earlier_bytes = "an earlier file of that name";
  if (earlier) {
    QFile file(t->chosen);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(earlier_bytes) == earlier_bytes.size());
    QCOMPARE(chmod(QFile::encodeName(t->chosen).constData(), mode_t(earlier)), 0);
  }
  bio::ResultForm& r = t->Sindan();
  QPushButton* target = button == "Command3" ? r.Command3 : r.Command2;
  const Shown before = ShownOn(r);

  {
    std::optional<FileSizeLimit> limited;
    if (limit) limited.emplace(limit);
    for (int click = 1; click <= 2; ++click) {  // the program goes on: the same again
      QTest::mouseClick(target, Qt::LeftButton);
      QCOMPARE(t->questions.size(), click);
      QVERIFY2(t->questions[0].contains(kNoPrinterText), qPrintable(t->questions[0]));
      QCOMPARE(t->suggestions.size(), answer ? click : 0);
      QVERIFY(!t->ended);
      QCOMPARE(ShownOn(r), before);
      QVERIFY(!t->Nurel().isVisible());
    }
  }
  if (answer) {
    const QString name = button == "Command3" ? "山田太郎_バイオリズム診断_2024年5月.pdf"
                                              : "山田太郎_バイオリズムグラフ_2024年5月.pdf";
    // The home has no Documents folder.
    QCOMPARE(t->suggestions[0], out_.filePath("home/") + name);
  }
  // No temporary file stays behind.
  const QStringList files = folder.entryList(QDir::Files | QDir::Hidden);
  QCOMPARE(files.size(), saved.isEmpty() && !earlier ? 0 : 1);
  if (earlier) {
    struct stat st;
    QCOMPARE(stat(QFile::encodeName(t->chosen).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 07777), earlier);
  }
  if (!failure.isEmpty()) {
    QCOMPARE(t->messages.size(), 2);
    QVERIFY2(t->messages[0].startsWith(
                 QString("PDFファイル「%1」を保存できませんでした。%2\n").arg(t->chosen, failure)),
             qPrintable(t->messages[0]));
    if (limit) {
      QFile file(t->chosen);
      QVERIFY(file.open(QIODevice::ReadOnly));
      QCOMPARE(file.readAll(), earlier_bytes);
    }
    return;
  }
  QVERIFY2(t->messages.isEmpty(), qPrintable(t->messages.join('\n')));
  if (saved.isEmpty()) return;
  // The page the printer would have had.
  QCOMPARE(PdfPages(t->chosen), 1);
  const QStringList lines = PdfLines(t->chosen);
  if (saved == "report") {
    QCOMPARE(lines, Extracted({"山田太郎さんのバイオリズム診断をします。", "感情：6知性:12身体:4",
                               "心の調子は，", kEmotionHigh, "頭脳の調子は，", kIntellectHigh,
                               "身体の調子は，", kPhysicalHigh}));
  } else {
    QVERIFY2(lines.join('\n').contains("月のバイオリズムグラフ"), qPrintable(lines.join('\n')));
  }
}

void PrintoutsTest::pdfFileName_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<bool>("graph");
  QTest::addColumn<QString>("file");
  QTest::newRow("report") << "山田太郎" << false << "山田太郎_バイオリズム診断_2026年12月.pdf";
  QTest::newRow("graph") << "山田太郎" << true << "山田太郎_バイオリズムグラフ_2026年12月.pdf";
  QTest::newRow("characters no file system takes")
      << QString("a/b\\c:d*e?f\"g<h>i|j\tk") + QChar(0) + "l" << false
      << "a_b_c_d_e_f_g_h_i_j_k_l_バイオリズム診断_2026年12月.pdf";
  QTest::newRow("no name") << "" << true << "バイオリズムグラフ_2026年12月.pdf";
  QTest::newRow("blanks only") << "　 " << false << "バイオリズム診断_2026年12月.pdf";
  QTest::newRow("a space kept") << "山田 太郎" << false
                                << "山田 太郎_バイオリズム診断_2026年12月.pdf";
  QTest::newRow("a leading dot would hide the file")
      << ".山田" << true << "_山田_バイオリズムグラフ_2026年12月.pdf";
  // 255 bytes at most: 71 kanji of three bytes and the 42 of the tail.
  QTest::newRow("80 kanji: cut to 71")
      << QString(80, QChar(u'字')) << false
      << QString(71, QChar(u'字')) + "_バイオリズム診断_2026年12月.pdf";
  // 1 + 70 * 3 + 42 = 253: one kanji more would take 256.
  QTest::newRow("a and 80 kanji: cut to a and 70")
      << "a" + QString(80, QChar(u'字')) << false
      << "a" + QString(70, QChar(u'字')) + "_バイオリズム診断_2026年12月.pdf";
  // 18 bytes a family (three people joined by U+200D), and never half of one.
  const QString family = "👨‍👩‍👧";
  QTest::newRow("families: whole ones only")
      << family.repeated(12) << false << family.repeated(11) + "_バイオリズム診断_2026年12月.pdf";
}

void PrintoutsTest::pdfFileName() {
  QFETCH(QString, name);
  QFETCH(bool, graph);
  QFETCH(QString, file);
  bio::SharedState state;
  state.PersonIndex = 1;
  state.PersonName[1] = std::string(name.toUtf8().constData(), name.toUtf8().size());
  state.TargetYear = 2026;
  state.TargetMonth = 12;
  QCOMPARE(bio::PdfFileName(state, graph ? bio::Printout::kGraph : bio::Printout::kReport), file);
}

namespace {
// A print system that fails right after the document begins.
class FailingPrinter : public bio::Printer {
 public:
  using bio::Printer::Printer;

 protected:
  bool FailedAfterBegin() const override { return true; }
};
}  // namespace

void PrintoutsTest::failureAfterBeginLeavesNoPainterOnADeletedPrinter() {
  // Run under the sanitizer build, which sees a painter ending a freed device.
  const QString pdf = out_.filePath("failing.pdf");
  FailingPrinter printer(pdf);
  for (int attempt = 0; attempt < 2; ++attempt) {
    QVERIFY_THROWS_EXCEPTION(bio::PrinterError, printer.PrintLine("x"));
    QVERIFY(!QFileInfo::exists(pdf));
  }
}

void PrintoutsTest::anExceptionPartWayDropsTheDocument() {
  const QString pdf = out_.filePath("interrupted.pdf");
  auto t = FirstExample(pdf);
  QVERIFY_THROWS_EXCEPTION(
      std::runtime_error, bio::PrintOrSavePdf(t->program->forms, "unused.pdf", [](bio::Printer& p) {
        p.PrintLine("stale");
        throw std::runtime_error("injected");
      }));
  QVERIFY(!QFileInfo::exists(pdf));
  QTest::mouseClick(t->Sindan().Command3, Qt::LeftButton);
  QCOMPARE(PdfPages(pdf), 1);
  const QStringList lines = PdfLines(pdf);
  QCOMPARE(lines.size(), 8);
  QCOMPARE(lines[0], QString("山田太郎さんのバイオリズム診断をします。"));
  QVERIFY(t->messages.isEmpty());
  QVERIFY(t->questions.isEmpty());
}

QTEST_MAIN(PrintoutsTest)
#include "printouts_test.moc"
