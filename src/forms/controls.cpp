#include "forms/controls.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <algorithm>
#include <vector>

#include "forms/picture_box.h"

namespace bio {

void SetBackground(QWidget& widget, const QColor& colour) {
  // A fixed background needs fixed text on it: the style's own light palette
  // (black text, white option indicators), not the desktop's, whose light
  // text and dark indicators would vanish on these colours in a dark scheme.
  QPalette palette = widget.style()->standardPalette();
  // Buttons (the era options) fill with their own background role; the
  // Window role is what the controls inside a form or frame inherit.
  palette.setColor(QPalette::Window, colour);
  palette.setColor(widget.backgroundRole(), colour);
  widget.setPalette(palette);
  widget.setAutoFillBackground(true);
}

void MissingControl(const QWidget& form, const char* name) {
  // qFatal writes to stderr and aborts, in debug and release builds alike.
  qFatal("%s: no control named %s", qPrintable(form.objectName()), name);
}

namespace {

QWidget* Create(ControlKind kind, const QString& caption, QWidget* parent) {
  switch (kind) {
    case ControlKind::Frame:
      return new QGroupBox(caption, parent);
    case ControlKind::TextBox:
      // Qt's usual limit of 32767 characters a box, which the reader of
      // kojinfl.txt is sized for, so whatever is saved reads back whole.
      return new QLineEdit(parent);
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

// Qt gives a plain window and a frame the role of a filler: a screen reader
// then neither announces the windows as windows nor the picture as a graph.
QAccessibleInterface* Roles(const QString& class_name, QObject* object) {
  if (!object || !object->isWidgetType() || !class_name.startsWith(QLatin1String("bio::"))) {
    return nullptr;
  }
  auto* widget = static_cast<QWidget*>(object);
  if (widget->isWindow()) return new QAccessibleWidget(widget, QAccessible::Window);
  if (qobject_cast<PictureBox*>(widget)) return new QAccessibleWidget(widget, QAccessible::Chart);
  return nullptr;
}

// Tab into a box selects its text, as everywhere; but Qt selects it while
// the box is taking the focus, before it tells a screen reader so, and Orca
// then reads the value as a selection in no named box, before the box's
// label. So the box takes the focus without selecting, and its text is
// selected on the next turn of the event loop, once the screen reader has
// heard of the focus; or before the next key, which would otherwise type
// beside the value rather than over it.
class SelectAfterFocus : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* box = static_cast<QLineEdit*>(watched);
    switch (event->type()) {
      case QEvent::FocusIn: {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason) return false;
        QFocusEvent unselected(QEvent::FocusIn, Qt::OtherFocusReason);
        QCoreApplication::sendEvent(box, &unselected);
        pending_ = box;
        QMetaObject::invokeMethod(this, &SelectAfterFocus::Select, Qt::QueuedConnection);
        return true;
      }
      case QEvent::ShortcutOverride:
      case QEvent::KeyPress:
      case QEvent::InputMethod:
        if (box == pending_) Select();
        return false;
      case QEvent::MouseButtonPress:
      case QEvent::FocusOut:
        if (box == pending_) pending_ = nullptr;
        return false;
      default:
        return false;
    }
  }

 private:
  void Select() {
    if (QLineEdit* box = pending_) {
      pending_ = nullptr;
      if (box->hasFocus()) box->selectAll();
    }
  }

  QPointer<QLineEdit> pending_;
};

}  // namespace

void BuildControls(QWidget& form, std::span<const ControlSpec> table) {
  [[maybe_unused]] static const bool roles_installed = [] {
    QAccessible::installFactory(&Roles);
    return true;
  }();
  auto* select_after_focus = new SelectAfterFocus(&form);
  std::vector<std::pair<int, QWidget*>> tab_order;
  for (const ControlSpec& row : table) {
    QWidget* parent = row.container ? Control<QWidget>(form, row.container) : &form;
    const QString caption = row.caption ? QString::fromUtf8(row.caption) : QString();
    QWidget* control = Create(row.kind, caption, parent);
    control->setObjectName(QString::fromUtf8(row.name));
    if (row.index >= 0) control->setProperty("Index", row.index);
    control->setGeometry(Px(row.left), Px(row.top), Px(row.width), Px(row.height));
    control->setFont(row.font);
    if (row.back.isValid()) {
      SetBackground(*control, row.back);
    } else {
      // Text boxes and buttons keep the style's own colours, not the
      // coloured form's they sit on.
      control->setPalette(control->style()->standardPalette());
    }
    if (row.kind == ControlKind::Label || row.kind == ControlKind::Frame) {
      control->setFocusPolicy(Qt::NoFocus);
    }
    if (row.kind == ControlKind::TextBox) control->installEventFilter(select_after_focus);
    tab_order.emplace_back(row.tab_index, control);
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

void SetAccessibleNames(std::initializer_list<AccessibleName> names) {
  for (const auto& [control, name] : names) control->setAccessibleName(QString::fromUtf8(name));
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
