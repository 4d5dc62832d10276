#include <QApplication>
#include <QFile>

#include "app/program.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  // kojinfl.txt lives beside the executable.
  bio::Program program(QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString());
  program.Start();
  return QApplication::exec();
}
