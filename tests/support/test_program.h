#pragma once

// A whole program for a test: its own temporary folder for kojinfl.txt, a
// fixed clock, and message boxes, questions, save dialogs and the end of the
// program recorded (and answered) instead of shown or performed.

#include <QDate>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "app/program.h"
#include "forms/input_form.h"
#include "forms/result_form.h"

namespace bio::test {

struct TestProgram {
  explicit TestProgram(QDate today = QDate(2024, 5, 3), const QString& printer_pdf = {},
                       const std::string& kojinfl_bytes = {}, bool with_file = false) {
    if (with_file) WriteFile(kojinfl_bytes);
    program = std::make_unique<Program>(Folder(), Folder() / "user", printer_pdf);
    program->forms.clock = [today] { return today; };
    program->forms.message = [this](const QString& text) { messages << text; };
    program->forms.end = [this] { ended = true; };
    program->forms.ask = [this](const QString& text) {
      questions << text;
      return answer;
    };
    program->forms.choose_save_file = [this](const QString& suggested) {
      suggestions << suggested;
      return chosen;
    };
  }

  std::filesystem::path Folder() const { return dir.path().toStdString(); }
  std::filesystem::path File() const { return Folder() / "kojinfl.txt"; }

  void WriteFile(const std::string& bytes) const {
    std::ofstream out(File(), std::ios::binary);
    out << bytes;
  }
  std::string ReadFile() const {
    std::ifstream in(File(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  InputForm& Nurel() { return program->forms.Nurel(); }
  ResultForm& Sindan() { return program->forms.Sindan(); }

  // Types the fields as a user would leave them, era index -1 for none.
  void Fill(const QString& name, int era, const QString& year, const QString& month,
            const QString& day, const QString& now_year, const QString& now_month,
            const QString& now_day) {
    InputForm& form = Nurel();
    form.Text7->setText(name);
    for (QRadioButton* option : form.Options) {
      option->setAutoExclusive(false);
      option->setChecked(false);
      option->setAutoExclusive(true);
    }
    if (era >= 0) form.Options[era]->setChecked(true);
    form.Text1->setText(year);
    form.Text2->setText(month);
    form.Text3->setText(day);
    form.Text4->setText(now_year);
    form.Text5->setText(now_month);
    form.Text6->setText(now_day);
  }

  QTemporaryDir dir;
  std::unique_ptr<Program> program;
  QStringList messages;
  QStringList questions;  // yes/no questions asked, each answered `answer`
  bool answer = false;
  QStringList suggestions;  // paths the save dialog proposed; `chosen` is taken
  QString chosen;
  bool ended = false;
};

}  // namespace bio::test
