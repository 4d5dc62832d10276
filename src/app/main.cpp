#include <QApplication>

#include "app/program.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("biorhythm"));
  // kojinfl.txt lives beside the executable, or in the user's data folder
  // when the executable's folder is not the user's to write (an installed copy).
  bio::Program program(bio::ExecutableFolder(), bio::UserDataFolder());
  program.Start();
  return QApplication::exec();
}
