// The program's main (src/app/main.cpp) with timestamps for startup_bench:
// start-up phases up to the input window's first frame, then one Enter and
// the result window's first frame (its graph is drawn inside the click).
// BIO_BENCH_ENTER=0 stops after the input window's first frame.

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "app/program.h"
#include "forms/input_form.h"
#include "frame_probe.h"

namespace {

// A typical entry, so the click runs a whole diagnosis even on a first
// start, when no kojinfl.txt has filled the fields.
void FillIfEmpty(bio::InputForm& nurel) {
  if (!nurel.Text1->text().isEmpty()) return;
  nurel.Text7->setText(QString::fromUtf8("山田太郎"));
  nurel.Options[2]->setChecked(true);  // 昭和
  nurel.Text1->setText("50");
  nurel.Text2->setText("5");
  nurel.Text3->setText("15");
}

}  // namespace

int main(int argc, char* argv[]) {
  bench::Mark("main");
  QApplication app(argc, argv);
  bench::Mark("qapplication");
  QCoreApplication::setApplicationName(QStringLiteral("biorhythm"));
  bio::Program program(bio::ExecutableFolder(), bio::UserDataFolder());
  bench::Mark("program");
  // Start() begins with this very call; made first only to time the window's
  // creation (with its icon and the file read) apart from showing it.
  bio::InputForm& nurel = program.forms.Nurel();
  bench::Mark("input_form");

  const char* enter_env = std::getenv("BIO_BENCH_ENTER");
  const bool enter = !(enter_env && std::strcmp(enter_env, "0") == 0);
  std::unique_ptr<bench::FirstFrame> result_frame;

  bench::FirstFrame first("Nurel", "first_paint", "first_frame", [&] {
    bench::Value("cpu_first_frame", bench::CpuNs());
    bench::Value("hwm_first_frame_kib", bench::PeakRssKiB());
    bench::DumpSmapsIfAsked();
    if (!enter) {
      QCoreApplication::exit(0);
      return;
    }
    QTimer::singleShot(0, qApp, [&] {
      FillIfEmpty(nurel);
      result_frame =
          std::make_unique<bench::FirstFrame>("sindan", "result_paint", "result_frame", [] {
            bench::Value("hwm_result_kib", bench::PeakRssKiB());
            QCoreApplication::exit(0);
          });
      bench::Mark("enter");
      nurel.Command1->click();
      bench::Mark("enter_returned");
    });
  });
  bench::ExitIfNoFrameWithin(30000);

  program.Start();
  bench::Mark("shown");
  return QApplication::exec();
}
