#pragma once
// The native side of a control: its Qt widget. Only platform UI code sees this.
#include <QColor>
#include <QPointer>
#include <QWidget>

#include "platform/base/String.h"
#include "platform/ui/Color.h"
#include "platform/ui/Control.h"

namespace Vx::Ui {

// Property on every widget that stands for a control: the Control* as quintptr.
// The automation channel walks widgets and finds their controls through it.
constexpr const char* kControlProperty = "vxControl";

class ControlPrivate {
public:
    explicit ControlPrivate(Control& owner) : owner(owner) {}
    ~ControlPrivate();

    // Gives the control its widget; children of a container are placed in `host` (the widget by default).
    void Attach(QWidget* widget, QWidget* host = nullptr);
    static Control* FromWidget(const QWidget* widget);

    Control& owner;
    QPointer<QWidget> widget;
    QPointer<QWidget> childHost;
    Container* parent = nullptr;
    Base::String name;
    Base::String text;  // for controls that show no text of their own
    Base::String fontFace;
};

QString ToQString(const Base::String& text);
Base::String FromQString(const QString& text);
QColor ToQColor(const Graphics::Color& color);
Graphics::Color FromQColor(const QColor& color);
// The default face of control text (DejaVu Sans) at `pixelSize`.
QFont DefaultFont(int pixelSize);

}  // namespace Vx::Ui
