#pragma once

#include <QAccessible>
#include <QString>

namespace bio {

// Where a piece of text lies, in UTF-16 offsets as a line edit counts them:
// [start, end).
struct TextSegment {
  int start;
  int end;
  bool operator==(const TextSegment&) const = default;
};

enum class TextSide { Before, At, After };

// The character, word, sentence or line of `text` before, at or after
// `offset`, found in one pass: a screen reader asks this on every caret move
// and must never wait. Characters and sentences are QTextBoundaryFinder's;
// a word is what Ctrl+Right moves over in a line edit (a run of letters,
// kanji and kana, or of punctuation, with the spaces after it), so a name
// written without spaces is one word. At the end of the text
// (offset = its length, where End leaves the caret) the character is the empty
// one there and the other kinds are the last of their kind. {-1, -1} for an
// offset outside the text.
TextSegment SegmentOf(const QString& text, QAccessible::TextBoundaryType kind, TextSide side,
                      int offset);

// Gives every line edit of the process, Qt's dialogs' included, an accessible
// text whose segments come from SegmentOf: Qt 6.4's own never answers a word
// question at the start of Japanese text or at the end of any text. Call once
// at start-up, before any window is shown.
void InstallAccessibleLineEdits();

}  // namespace bio
