#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>
#include <initializer_list>
#include <span>
#include <string>

class QLineEdit;
class QListWidget;

namespace bio {

// Layout is given in twips, as the windows were designed; 15 twips make one
// pixel at 96 dpi.
constexpr int Px(int twips) { return (twips + 7) / 15; }

enum class ControlKind { Frame, TextBox, Option, Label, Command, List, Picture };

// One row of a window's layout table.
struct ControlSpec {
  const char* name;  // objectName
  int index;         // element of a control array, or -1
  ControlKind kind;
  const char* container;         // objectName of the frame, or nullptr for the form
  const char* caption;           // UTF-8, or nullptr
  int left, top, width, height;  // twips, inside the container
  QFont font;
  QColor back;  // invalid: the platform's standard colour
  int tab_index;
};

// Creates the controls of a table on `form`, in table order, each named and
// placed; containers must come before what they contain. Also sets the form's
// tab order from the tab indices, gives screen readers the roles of the
// windows (window) and of the picture (chart), and has a text box tabbed
// into select its text only once a screen reader has heard of the focus.
void BuildControls(QWidget& form, std::span<const ControlSpec> table);

// Names controls for screen readers, each as the words beside it read.
struct AccessibleName {
  QWidget* control;
  const char* name;  // UTF-8
};
void SetAccessibleNames(std::initializer_list<AccessibleName> names);

// Fills a widget's background with `colour`, its text black whatever the
// desktop's colour scheme.
void SetBackground(QWidget& widget, const QColor& colour);

// Ends the program with a message naming the control: a window whose layout
// table lacks a control it needs is a build fault, to be seen at once rather
// than as a null pointer later.
[[noreturn]] void MissingControl(const QWidget& form, const char* name);

// The control `name` of `form`, of kind T; never null.
template <typename T>
T* Control(const QWidget& form, const char* name) {
  T* control = form.findChild<T*>(QString::fromUtf8(name));
  if (!control) MissingControl(form, name);
  return control;
}

// Text box and list box operations, with texts as UTF-8.
std::string TextOf(const QLineEdit& box);
void SetText(QLineEdit& box, const std::string& utf8);
void AddItem(QListWidget& list, const std::string& utf8);

}  // namespace bio
