// The baseline for startup_bench: the least a Qt Widgets program does to
// show a window the size of the input window, with the same probe hooks.

#include <QApplication>
#include <QWidget>

#include "frame_probe.h"

int main(int argc, char* argv[]) {
  bench::Mark("main");
  QApplication app(argc, argv);
  bench::Mark("qapplication");

  QWidget window;
  window.setObjectName("Bare");
  window.setFixedSize(524, 571);  // the input window's size
  window.setWindowTitle("bare_window");

  bench::FirstFrame first("Bare", "first_paint", "first_frame", [] {
    bench::Value("cpu_first_frame", bench::CpuNs());
    bench::Value("hwm_first_frame_kib", bench::PeakRssKiB());
    bench::DumpSmapsIfAsked();
    QCoreApplication::exit(0);
  });
  bench::ExitIfNoFrameWithin(30000);

  window.show();
  bench::Mark("shown");
  return QApplication::exec();
}
