#include "forms/line_edit_accessible.h"

#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QLineEdit>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <QValidator>
#include <algorithm>
#include <vector>

namespace bio {

namespace {

// The offsets where segments of `kind` begin, then the text's length.
std::vector<int> Cuts(const QString& text, QAccessible::TextBoundaryType kind) {
  const int length = static_cast<int>(text.size());
  std::vector<int> cuts{0};
  if (kind == QAccessible::WordBoundary) {
    // The words Ctrl+Left and Ctrl+Right move over in the box, so that the
    // word read is the one the caret passed: Orca speaks the stretch between
    // the caret's two places, widened to the word segments at either end.
    QTextLayout layout(text);
    for (int at = layout.nextCursorPosition(0, QTextLayout::SkipWords);
         at > cuts.back() && at <= length;
         at = layout.nextCursorPosition(at, QTextLayout::SkipWords)) {
      cuts.push_back(at);
    }
  } else if (kind == QAccessible::CharBoundary || kind == QAccessible::SentenceBoundary) {
    // Every boundary, whatever its reasons: looking only for the starts and
    // ends of words is what never ends in Qt's own answer where kanji and
    // kana, or the end of the text, give none. Each step moves forward, and
    // the finder gives -1 past the end.
    QTextBoundaryFinder finder(kind == QAccessible::CharBoundary ? QTextBoundaryFinder::Grapheme
                                                                 : QTextBoundaryFinder::Sentence,
                               text);
    for (auto at = finder.toNextBoundary(); at > cuts.back() && at <= length;
         at = finder.toNextBoundary()) {
      cuts.push_back(static_cast<int>(at));
    }
  }  // else a line or paragraph: a line edit holds one
  if (cuts.back() < length) cuts.push_back(length);
  return cuts;
}

// A line edit as Qt describes it to a screen reader (role, name, states,
// value, caret, selection, editing), with text segments from SegmentOf.
class AccessibleLineEdit : public QAccessibleWidget,
                           public QAccessibleTextInterface,
                           public QAccessibleEditableTextInterface {
 public:
  explicit AccessibleLineEdit(QLineEdit* edit)
      : QAccessibleWidget(edit, QAccessible::EditableText) {
    addControllingSignal(QStringLiteral("textChanged(const QString&)"));
    addControllingSignal(QStringLiteral("returnPressed()"));
  }

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::EditableTextInterface) {
      return static_cast<QAccessibleEditableTextInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
  }

  QString text(QAccessible::Text which) const override {
    QString result;
    if (which == QAccessible::Value && Edit()->echoMode() != QLineEdit::NoEcho) result = Shown();
    if (result.isEmpty()) result = QAccessibleWidget::text(which);
    if (result.isEmpty() && which == QAccessible::Description) result = Edit()->placeholderText();
    return result;
  }

  void setText(QAccessible::Text which, const QString& text) override {
    if (which != QAccessible::Value) {
      QAccessibleWidget::setText(which, text);
      return;
    }
    QString value = text;
    int position = 0;
    if (const QValidator* validator = Edit()->validator();
        validator && validator->validate(value, position) != QValidator::Acceptable) {
      return;
    }
    Edit()->setText(value);
  }

  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = true;
    if (Edit()->isReadOnly()) state.readOnly = true;
    if (Edit()->echoMode() != QLineEdit::Normal) state.passwordEdit = true;
    state.selectableText = true;
    return state;
  }

  // Selection and caret.
  void selection(int index, int* start, int* end) const override {
    *start = *end = 0;
    if (index != 0) return;
    *start = Edit()->selectionStart();
    *end = *start + static_cast<int>(Edit()->selectedText().size());
  }
  int selectionCount() const override { return Edit()->hasSelectedText() ? 1 : 0; }
  void addSelection(int start, int end) override { setSelection(0, start, end); }
  void removeSelection(int index) override {
    if (index == 0) Edit()->deselect();
  }
  void setSelection(int index, int start, int end) override {
    if (index == 0) Edit()->setSelection(start, end - start);
  }
  int cursorPosition() const override { return Edit()->cursorPosition(); }
  void setCursorPosition(int position) override { Edit()->setCursorPosition(position); }

  // Text.
  QString text(int start, int end) const override {
    if (start > end) return {};
    return Shown().mid(start, end - start);
  }
  int characterCount() const override { return static_cast<int>(Edit()->text().size()); }
  QString textBeforeOffset(int offset, QAccessible::TextBoundaryType kind, int* start,
                           int* end) const override {
    return Segment(offset, kind, TextSide::Before, start, end);
  }
  QString textAtOffset(int offset, QAccessible::TextBoundaryType kind, int* start,
                       int* end) const override {
    return Segment(offset, kind, TextSide::At, start, end);
  }
  QString textAfterOffset(int offset, QAccessible::TextBoundaryType kind, int* start,
                          int* end) const override {
    return Segment(offset, kind, TextSide::After, start, end);
  }
  // One run of no attributes over the whole text, which has one look
  // throughout. Orca reads a value run by run: Qt's empty run at each offset
  // made it drop the value's last character.
  QString attributes(int offset, int* start, int* end) const override {
    const int length = characterCount();
    *start = offset < 0 || offset > length ? -1 : 0;
    *end = offset < 0 || offset > length ? -1 : length;
    return {};
  }

  // Geometry: the caret's rectangle, centred on the caret, is known; a
  // character begins as far from the caret as the text between them is wide.
  QRect characterRect(int offset) const override {
    const QString shown = Shown();
    const QString character = shown.mid(offset, 1);
    const QFontMetrics metrics(Edit()->font());
    const int width = character.isEmpty() ? 0 : metrics.horizontalAdvance(character);
    if (width == 0) return {};
    const QRect caret = Edit()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const int x = caret.x() + caret.width() / 2 + metrics.horizontalAdvance(shown.left(offset)) -
                  metrics.horizontalAdvance(shown.left(Edit()->cursorPosition()));
    return {Edit()->mapToGlobal(QPoint(x, caret.y())), QSize(width, metrics.height())};
  }
  int offsetAtPoint(const QPoint& point) const override {
    return Edit()->cursorPositionAt(Edit()->mapFromGlobal(point));
  }
  void scrollToSubstring(int start, int end) override {
    Edit()->setCursorPosition(end);
    Edit()->setCursorPosition(start);
  }

  // Editing.
  void deleteText(int start, int end) override {
    Edit()->setText(Edit()->text().remove(start, end - start));
  }
  void insertText(int offset, const QString& text) override {
    Edit()->setText(Edit()->text().insert(offset, text));
  }
  void replaceText(int start, int end, const QString& text) override {
    Edit()->setText(Edit()->text().replace(start, end - start, text));
  }

 private:
  QLineEdit* Edit() const { return static_cast<QLineEdit*>(widget()); }

  // The text as the box shows it: a password's characters as stars.
  QString Shown() const {
    const QString text = Edit()->text();
    if (Edit()->echoMode() == QLineEdit::Normal) return text;
    return QString(text.size(), QLatin1Char('*'));
  }

  QString Segment(int offset, QAccessible::TextBoundaryType kind, TextSide side, int* start,
                  int* end) const {
    if (Edit()->echoMode() != QLineEdit::Normal) {  // no words of a password
      *start = *end = -1;
      return {};
    }
    if (offset == -2) offset = cursorPosition();
    if (offset == -1) offset = characterCount();
    const QString text = Edit()->text();
    const TextSegment segment = SegmentOf(text, kind, side, offset);
    *start = segment.start;
    *end = segment.end;
    return segment.start < 0 ? QString() : text.mid(segment.start, segment.end - segment.start);
  }
};

QAccessibleInterface* LineEdits(const QString&, QObject* object) {
  auto* edit = qobject_cast<QLineEdit*>(object);
  return edit ? new AccessibleLineEdit(edit) : nullptr;
}

}  // namespace

TextSegment SegmentOf(const QString& text, QAccessible::TextBoundaryType kind, TextSide side,
                      int offset) {
  const int length = static_cast<int>(text.size());
  if (offset < 0 || offset > length) return {-1, -1};
  if (length == 0) return {0, 0};
  const std::vector<int> cuts = Cuts(text, kind);
  const int last = static_cast<int>(cuts.size()) - 2;  // the last segment
  // Segment `index` runs from cuts[index] to cuts[index + 1]; one past the
  // last is the empty character at the end.
  int index =
      static_cast<int>(std::upper_bound(cuts.begin(), cuts.end(), offset) - cuts.begin()) - 1;
  if (offset == length && kind != QAccessible::CharBoundary) index = last;
  const auto segment = [&](int i) -> TextSegment {
    if (i < 0) return {0, 0};
    if (i > last) return {length, length};
    return {cuts[i], cuts[i + 1]};
  };
  switch (side) {
    case TextSide::Before:
      return segment(index - 1);
    case TextSide::At:
      return segment(index);
    case TextSide::After:
      return segment(index + 1);
  }
  return {-1, -1};
}

void InstallAccessibleLineEdits() {
  [[maybe_unused]] static const bool installed = [] {
    QAccessible::installFactory(&LineEdits);
    return true;
  }();
}

}  // namespace bio
