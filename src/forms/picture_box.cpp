#include "forms/picture_box.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPen>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <cmath>

#include "engine/numbers.h"

namespace bio {

QColor QBColor(int number) {
  static const QRgb kPalette[16] = {
      qRgb(0, 0, 0),       qRgb(0, 0, 128),   qRgb(0, 128, 0),   qRgb(0, 128, 128),
      qRgb(128, 0, 0),     qRgb(128, 0, 128), qRgb(128, 128, 0), qRgb(192, 192, 192),
      qRgb(128, 128, 128), qRgb(0, 0, 255),   qRgb(0, 255, 0),   qRgb(0, 255, 255),
      qRgb(255, 0, 0),     qRgb(255, 0, 255), qRgb(255, 255, 0), qRgb(255, 255, 255),
  };
  return QColor(kPalette[number & 15]);
}

PictureBox::PictureBox(QWidget* parent) : QFrame(parent), fore_colour_(Qt::black) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(2);
  // Tab stops on the picture so that a screen reader reads its name and the
  // description of what it shows.
  setFocusPolicy(Qt::TabFocus);
}

void PictureBox::Scale(float x1, float y1, float x2, float y2) {
  scale_left_ = x1;
  scale_top_ = y1;
  scale_width_ = x2 - x1;
  scale_height_ = y2 - y1;
}

void PictureBox::SetAutoRedraw(bool on) { auto_redraw_ = on; }
void PictureBox::SetForeColor(const QColor& colour) { fore_colour_ = colour; }
void PictureBox::SetDrawWidth(int pixels) { draw_width_ = pixels < 1 ? 1 : pixels; }

QPointF PictureBox::ToPixels(float x, float y) const {
  const QSize size = ImageSize();
  if (scale_width_ == 0 || scale_height_ == 0) {
    return {x / 15.0, y / 15.0};  // no user scale yet: twips
  }
  return {(double(x) - scale_left_) * size.width() / scale_width_,
          (double(y) - scale_top_) * size.height() / scale_height_};
}

QFont PictureBox::PixelFont() const {
  QFont pixel_font = font();
  // 96 dpi, the resolution the windows were laid out for.
  if (pixel_font.pixelSize() <= 0) {
    pixel_font.setPixelSize(int(std::lround(pixel_font.pointSizeF() * 96.0 / 72.0)));
  }
  return pixel_font;
}

void PictureBox::Line(float x1, float y1, float x2, float y2) {
  Draw({Operation::kLine, ToPixels(x1, y1), ToPixels(x2, y2), fore_colour_, draw_width_, {}, {}});
}

void PictureBox::Print(double number) {
  Print(QString::fromStdString(NumberToSurfaceText(number)));
}

void PictureBox::Print(const QString& text) {
  const QFont pixel_font = PixelFont();
  Draw({Operation::kText, ToPixels(current_x_, current_y_), {}, fore_colour_, 0, text, pixel_font});
  const double line_pixels = QFontMetricsF(pixel_font).height();
  const QSize size = ImageSize();
  current_x_ = scale_left_;
  if (scale_height_ != 0 && size.height() > 0) {
    current_y_ += float(line_pixels * scale_height_ / size.height());
  } else {
    current_y_ += float(line_pixels * 15.0);
  }
}

QImage PictureBox::Image() const {
  if (!image_.isNull()) return image_;
  QImage blank(ImageSize(), QImage::Format_RGB32);  // nothing drawn yet
  blank.fill(palette().color(QPalette::Window));
  return blank;
}

void PictureBox::ClearPicture() {
  operations_.clear();
  ResetImages();
  update();
}

void PictureBox::ResetImages() {
  const qreal ratio = devicePixelRatioF();
  const QSize size = ImageSize();
  image_ = QImage((QSizeF(size) * ratio).toSize(), QImage::Format_RGB32);
  image_.setDevicePixelRatio(ratio);
  image_.fill(palette().color(QPalette::Window));
  transient_ = QImage(image_.size(), QImage::Format_ARGB32_Premultiplied);
  transient_.setDevicePixelRatio(ratio);
  transient_.fill(Qt::transparent);
}

void PictureBox::Draw(const Operation& op) {
  if (image_.deviceIndependentSize().toSize() != ImageSize()) {
    ResetImages();  // not shown yet: no resize event has made the image
    QPainter painter(&image_);
    Replay(painter);
  }
  QImage& target = auto_redraw_ ? image_ : transient_;
  if (auto_redraw_) operations_.push_back(op);
  QPainter painter(&target);
  Paint(painter, op);
  painter.end();
  update();
}

void PictureBox::Paint(QPainter& painter, const Operation& op) {
  if (op.kind == Operation::kLine) {
    painter.setPen(QPen(op.colour, op.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawLine(op.a, op.b);
  } else {
    painter.setFont(op.font);
    painter.setPen(op.colour);
    const QFontMetricsF metrics(op.font);
    painter.drawText(QPointF(op.a.x(), op.a.y() + metrics.ascent()), op.text);
  }
}

void PictureBox::Replay(QPainter& painter) const {
  painter.save();
  for (const Operation& op : operations_) Paint(painter, op);
  painter.restore();
}

void PictureBox::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  if (image_.isNull()) ResetImages();
  QPainter painter(this);
  const QRect inner = contentsRect();
  painter.setClipRect(inner);
  painter.drawImage(inner.topLeft(), image_);
  painter.drawImage(inner.topLeft(), transient_);
  if (hasFocus()) {
    // Where Tab stands, for those who can see: the style's focus frame.
    painter.setClipping(false);
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = inner;
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
  }
}

void PictureBox::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  ResetImages();
  QPainter painter(&image_);
  Replay(painter);
}

}  // namespace bio
