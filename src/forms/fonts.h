#pragma once

#include <QFont>

namespace bio {

inline constexpr char kGothic[] = "ＭＳ ゴシック";
inline constexpr char kPGothic[] = "ＭＳ Ｐゴシック";
inline constexpr char kMincho[] = "ＭＳ 明朝";

// The forms name the Windows faces; fontconfig knows none of them, so point
// each at the IPA face that was drawn to the same metrics. Also picks the
// widget style whose flat frames and inline frame captions match the
// windows' design. Call once, after the QApplication exists.
void InstallLook();

// A bold face of the forms at `points` on a 96 dpi screen.
QFont FormFont(const char* face, double points);

}  // namespace bio
