#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/command_line.h"
#include "app/program.h"
#include "app/session.h"
#include "diagnosis/wording.h"
#include "storage/file_size_limit.h"

// Each executable's build says which copy it is (the package's, or a build
// tree's and portable folder's) and which desktop entry names it, so that a
// Wayland dock, which goes by the app id, finds the entry's icon and name.
constexpr bio::ProgramCopy kProgramCopy = bio::ProgramCopy::BIO_PROGRAM_COPY;

int main(int argc, char* argv[]) {
  bio::IgnoreFileSizeSignal();
  if (const auto status = bio::AnswerInformationOption(argc, argv, kProgramCopy)) return *status;
  const std::string platform = bio::NamedPlatform(argc, argv);
  if (!bio::DesktopSessionAvailable(platform)) {
    std::fputs(bio::kNoDesktopSessionText, stderr);
    return 1;
  }
  // Qt reads only `-platform NAME` from the command line; a platform named
  // as -platform=NAME reaches it through the environment.
  if (!platform.empty()) ::setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
  QApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("biorhythm"));
  QGuiApplication::setDesktopFileName(QStringLiteral(BIO_DESKTOP_FILE_NAME));
  // Qt's own dialogs (the save dialog's columns, its overwrite question) speak
  // Japanese like the rest of the program, whatever the desktop's language.
  QTranslator qt_texts;
  if (qt_texts.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(&qt_texts);
  }
  // kojinfl.txt lives in the user's data folder for the package's copy, and
  // beside the executable for a portable one whose folder the user may write.
  bio::Program program(bio::ExecutableFolder(), bio::UserDataFolder(), {}, kProgramCopy);
  program.Start();
  return QApplication::exec();
}
