#pragma once

#include <QFont>
#include <QString>
#include <QWidget>

namespace vistrel {

// Draws the status text in large black letters, word-wrapped from the top of a
// rectangle that keeps a tenth of the size free on the left, top and bottom, over the
// standard window background; everything at the overlay's opacity.
class CInfoView : public QWidget {
    Q_OBJECT
  public:
    explicit CInfoView(QWidget* parent = nullptr);

    // Requests no redraw: the overlay redraws when it shows a message.
    void setString(const QString& text) { m_String = text; }
    const QString& string() const { return m_String; }

    // 0 invisible .. 1 opaque; repaints.
    void setOpacity(qreal opacity);
    qreal opacity() const { return m_opacity; }

    // Where the text goes and how large it is, for a view of `size`.
    static QRectF textRect(QSize size);
    static int fontPixelSize(QSize size);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    QString m_String;
    // Sized for the view's current size; the fade repaints often, the size rarely changes.
    QFont m_font;
    qreal m_opacity = 1.0;
};

} // namespace vistrel
