#pragma once
// How a button draws itself. Only platform UI code sees this.
#include <QColor>
#include <QPoint>
#include <QPushButton>

#include "platform/ui/BitmapPrivate.h"
#include "platform/ui/Button.h"

namespace Vx::Ui::Controls {

class ButtonPrivate {
public:
    QColor colors[4] = {QColor(226, 226, 226), QColor(240, 240, 240), QColor(190, 200, 214), QColor(210, 220, 236)};
    QColor textColor = QColor(0, 0, 0);
    QColor pressedTextColor = QColor(0, 0, 0);
    Qt::Alignment alignment = Qt::AlignCenter;
    struct Picture {
        Graphics::BitmapPrivate bitmap;
        QPoint position;
        bool set = false;
    };
    Picture normal, pressed, normalBackground, pressedBackground;
};

// A push button drawn from its ButtonPrivate: colour or picture background,
// an optional picture, then the text.
class ButtonWidget : public QPushButton {
public:
    explicit ButtonWidget(ButtonPrivate& look) : look_(look) {}

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ButtonPrivate& look_;
};

}  // namespace Vx::Ui::Controls
