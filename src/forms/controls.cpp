#include "forms/controls.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <limits>
#include <vector>

#include "forms/picture_box.h"

namespace bio {

void SetBackground(QWidget& widget, const QColor& colour) {
  QPalette palette = widget.palette();
  palette.setColor(QPalette::Window, colour);
  palette.setColor(QPalette::Button, colour);
  widget.setPalette(palette);
  widget.setAutoFillBackground(true);
}

namespace {

QWidget* Create(ControlKind kind, const QString& caption, QWidget* parent) {
  switch (kind) {
    case ControlKind::Frame:
      return new QGroupBox(caption, parent);
    case ControlKind::TextBox:
    {
      auto* box = new QLineEdit(parent);
      box->setMaxLength(std::numeric_limits<int>::max());  // no limit of our own
      return box;
    }
    case ControlKind::Option:
      return new QRadioButton(caption, parent);
    case ControlKind::Label: {
      auto* label = new QLabel(caption, parent);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      label->setWordWrap(true);
      return label;
    }
    case ControlKind::Command:
      return new QPushButton(caption, parent);
    case ControlKind::List:
      return new QListWidget(parent);
    case ControlKind::Picture:
      return new PictureBox(parent);
  }
  return nullptr;
}

}  // namespace

void BuildControls(QWidget& form, std::span<const ControlSpec> table) {
  std::vector<std::pair<int, QWidget*>> tab_order;
  for (const ControlSpec& spec : table) {
    QWidget* parent = &form;
    if (spec.container) parent = form.findChild<QWidget*>(QString::fromUtf8(spec.container));
    const QString caption = spec.caption ? QString::fromUtf8(spec.caption) : QString();
    QWidget* control = Create(spec.kind, caption, parent);
    control->setObjectName(QString::fromUtf8(spec.name));
    if (spec.index >= 0) control->setProperty("Index", spec.index);
    control->setProperty("TabIndex", spec.tab_index);
    control->setGeometry(Px(spec.left), Px(spec.top), Px(spec.width), Px(spec.height));
    control->setFont(spec.font);
    if (spec.back.isValid()) SetBackground(*control, spec.back);
    if (spec.kind == ControlKind::Label || spec.kind == ControlKind::Frame) {
      control->setFocusPolicy(Qt::NoFocus);
    }
    tab_order.emplace_back(spec.tab_index, control);
  }
  std::stable_sort(tab_order.begin(), tab_order.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  QWidget* previous = nullptr;
  for (const auto& [index, control] : tab_order) {
    if (control->focusPolicy() == Qt::NoFocus) continue;
    if (previous) QWidget::setTabOrder(previous, control);
    previous = control;
  }
}

std::string TextOf(const QLineEdit& box) { return box.text().toStdString(); }

void SetText(QLineEdit& box, const std::string& utf8) {
  box.setText(QString::fromStdString(utf8));
  box.setCursorPosition(0);
}

void AddItem(QListWidget& list, const std::string& utf8) {
  list.addItem(QString::fromStdString(utf8));
}

}  // namespace bio
