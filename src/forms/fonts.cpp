#include "forms/fonts.h"

#include <QApplication>
#include <QStringList>
#include <QStyle>
#include <QStyleFactory>

namespace bio {

void InstallLook() {
  if (QStyle* style = QStyleFactory::create(QStringLiteral("Windows")))
    QApplication::setStyle(style);
  QFont::insertSubstitutions(QString::fromUtf8(kGothic), QStringList{"IPAGothic", "IPAexGothic"});
  QFont::insertSubstitutions(QString::fromUtf8(kPGothic), QStringList{"IPAPGothic", "IPAexGothic"});
  QFont::insertSubstitutions(QString::fromUtf8(kMincho), QStringList{"IPAMincho", "IPAexMincho"});
}

QFont FormFont(const char* face, double points) {
  // Ask for the stand-in face directly: looking up the missing Windows face
  // first sends fontconfig on a fallback search that costs start-up time.
  QFont font(QFont::substitute(QString::fromUtf8(face)));
  // The layout is fixed in pixels of a 96 dpi screen, so the text must be
  // too: a desktop that reports another font resolution would otherwise
  // overflow the boxes. High-DPI screens scale both alike.
  font.setPixelSize(qRound(points * 96.0 / 72.0));
  font.setWeight(QFont::Bold);
  return font;
}

}  // namespace bio
