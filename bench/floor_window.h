#pragma once

// The floors startup_bench sets the program against: the least a Qt Widgets
// program does to show a window the size of the input window, with the
// probe hooks of frame_probe.h. Each floor program only decides what the
// window holds.

#include <QApplication>
#include <QWidget>

#include "frame_probe.h"

namespace bench {

// Shows an empty window of the input window's size, titled after the
// executable, after `fill` has put its content in; exits at its first frame.
inline int RunFloorWindow(int argc, char* argv[], void (*fill)(QWidget& window)) {
  Mark("main");
  QApplication app(argc, argv);
  Mark("qapplication");

  QWidget window;
  window.setObjectName("Floor");
  window.setFixedSize(524, 571);  // the input window's size
  window.setWindowTitle(QCoreApplication::applicationName());
  fill(window);

  FirstFrame first("Floor", "first_paint", "first_frame", [] {
    Value("cpu_first_frame", CpuNs());
    Value("hwm_first_frame_kib", PeakRssKiB());
    DumpSmapsIfAsked();
    QCoreApplication::exit(0);
  });
  ExitIfNoFrameWithin(30000);

  window.show();
  Mark("shown");
  return QApplication::exec();
}

}  // namespace bench
