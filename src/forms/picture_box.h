#pragma once

#include <QColor>
#include <QFont>
#include <QFrame>
#include <QImage>
#include <QPointF>
#include <QString>
#include <vector>

class QPainter;

namespace bio {

// The 16-colour palette by QBColor number (0..15).
QColor QBColor(int number);

// A picture box: a drawing surface with a user coordinate scale, a current
// colour, line width and text position, and a persistent image that repaints
// the box. Besides the bitmap it keeps the drawing operations themselves, so
// that a printer at any resolution gets sharp lines and text.
class PictureBox : public QFrame {
  Q_OBJECT

 public:
  explicit PictureBox(QWidget* parent = nullptr);

  // The inner area spans x1..x2 left to right and y1..y2 top to bottom.
  void Scale(float x1, float y1, float x2, float y2);
  // While on, drawing goes into the persistent image; while off, it is shown
  // on screen only and is lost when the picture is blanked.
  void SetAutoRedraw(bool on);
  void SetForeColor(const QColor& colour);
  void SetDrawWidth(int pixels);
  void Line(float x1, float y1, float x2, float y2);
  float CurrentX() const { return current_x_; }
  float CurrentY() const { return current_y_; }
  void SetCurrentX(float x) { current_x_ = x; }
  void SetCurrentY(float y) { current_y_ = y; }
  // A number in the surface's own form (" 5 "), or a text unchanged, with its
  // top-left corner at the current position; then moves to the next line.
  void Print(double number);
  void Print(const QString& text);
  // Picture = none: the box shows only its back colour.
  void ClearPicture();

  // The persistent image (inner area), at the screen's device pixel ratio.
  QImage Image() const;
  // Size of the inner area in logical pixels.
  QSize ImageSize() const { return contentsRect().size(); }
  // Draws the persistent drawing with `painter`, whose coordinates are the
  // box's logical pixels (0, 0 at the inner area's top left).
  void Replay(QPainter& painter) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  struct Operation {
    enum Kind { kLine, kText } kind;
    QPointF a, b;  // line ends, or the text's top-left corner in a
    QColor colour;
    int width;
    QString text;
    QFont font;  // pixel-sized, so it scales with the painter
  };

  QPointF ToPixels(float x, float y) const;
  QFont PixelFont() const;
  void Draw(const Operation& op);
  static void Paint(QPainter& painter, const Operation& op);
  void ResetImages();

  float scale_left_ = 0, scale_top_ = 0, scale_width_ = 0, scale_height_ = 0;  // 0: pixels
  bool auto_redraw_ = false;
  QColor fore_colour_;
  int draw_width_ = 1;
  float current_x_ = 0, current_y_ = 0;
  std::vector<Operation> operations_;  // the persistent drawing
  QImage image_;                       // it, rendered
  QImage transient_;                   // drawn while AutoRedraw is off
};

}  // namespace bio
