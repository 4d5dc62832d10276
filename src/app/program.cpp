#include "app/program.h"

#include <QCoreApplication>
#include <QFile>
#include <QPushButton>
#include <QStandardPaths>

#include "app/events.h"
#include "forms/fonts.h"
#include "forms/input_form.h"
#include "forms/line_edit_accessible.h"
#include "forms/result_form.h"

namespace bio {

namespace {

std::filesystem::path ToPath(const QString& folder) {
  return QFile::encodeName(folder).toStdString();
}

Forms FormsFor(const std::filesystem::path& program_folder,
               const std::filesystem::path& user_folder, QString printer_pdf, ProgramCopy copy) {
  const PersonalFilePlaces places = ChoosePersonalFilePlaces(program_folder, user_folder, copy);
  return Forms(places.load_folder, places.save_folder, std::move(printer_pdf));
}

}  // namespace

Program::Program(const std::filesystem::path& program_folder,
                 const std::filesystem::path& user_folder, QString printer_pdf, ProgramCopy copy)
    : forms(FormsFor(program_folder, user_folder, std::move(printer_pdf), copy)) {
  InstallLook();
  InstallAccessibleLineEdits();
  forms.nurel_created = [this](InputForm& nurel) {
    QObject::connect(nurel.Command1, &QPushButton::clicked,
                     [this] { Nurel_Command1_Click(*this); });
    // Before a run the input window is the only one: closing it ends the program.
    QObject::connect(&nurel, &InputForm::closed, [this] { forms.End(); });
    Nurel_Form_Load(*this);
  };
  forms.sindan_created = [this](ResultForm& sindan) {
    QObject::connect(sindan.Command1, &QPushButton::clicked,
                     [this] { Sindan_Command1_Click(*this); });
    QObject::connect(sindan.Command2, &QPushButton::clicked,
                     [this] { Sindan_Command2_Click(*this); });
    QObject::connect(sindan.Command3, &QPushButton::clicked,
                     [this] { Sindan_Command3_Click(*this); });
    // The input window is hidden by then: closing the result window must end
    // the program rather than leave it running with no window.
    QObject::connect(&sindan, &ResultForm::closed, [this] { forms.End(); });
  };
}

std::filesystem::path ExecutableFolder() { return ToPath(QCoreApplication::applicationDirPath()); }

std::filesystem::path UserDataFolder() {
  return ToPath(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

void Program::Start() {
  InputForm& nurel = forms.Nurel();
  forms.Show(nurel);
  nurel.Command1->setFocus();
}

}  // namespace bio
