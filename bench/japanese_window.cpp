// The second floor for startup_bench: the bare window plus one line of
// Japanese text in the input window's face (IPAGothic, 16 px, bold), so the
// program is set against what any window with Japanese text must load:
// fontconfig's configuration, one CJK font and its glyphs.

#include <QFont>
#include <QLabel>

#include "floor_window.h"

int main(int argc, char* argv[]) {
  return bench::RunFloorWindow(argc, argv, [](QWidget& window) {
    QFont font(QStringLiteral("IPAGothic"));
    font.setPixelSize(16);
    font.setWeight(QFont::Bold);
    auto* label = new QLabel(QString::fromUtf8("生年月日入力"), &window);
    label->setFont(font);
    label->move(56, 88);  // where the input window's birth date frame begins
  });
}
