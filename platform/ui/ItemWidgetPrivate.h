#pragma once
// The native side of a list or table item: a pressable row that draws its
// background (colour or nine-patch picture per state), its text elements, a
// check mark or radio mark, and a divider. Only platform UI code sees this.
#include <QAbstractButton>
#include <QColor>
#include <QJsonObject>
#include <QScrollArea>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "platform/ui/BitmapPrivate.h"
#include "platform/ui/Control.h"

namespace Vx::Ui::Controls {

// The scrolling area of the grouped views: lays the rows out again when it changes size.
class RowsScrollArea : public QScrollArea {
public:
    std::function<void()> onResize;

protected:
    void resizeEvent(QResizeEvent* event) override {
        QScrollArea::resizeEvent(event);
        if (onResize) onResize();
    }
};

class ItemWidget : public QAbstractButton {
public:
    enum class Annex { None, Mark, Radio };
    enum State { Normal = 0, Pressed = 1, Highlighted = 2, StateCount = 3 };
    enum class Expansion { None, Collapsed, Expanded };

    struct TextElement {
        int id = -1;
        QRect rect;
        QString text;
        int size = 32;
        QColor colors[StateCount];
        bool bold = false;
    };

    ItemWidget();

    Annex annex = Annex::None;
    bool checked = false;
    bool divider = false;
    Expansion expansion = Expansion::None;
    QColor background[StateCount];
    std::optional<Graphics::BitmapPrivate> picture[StateCount];
    std::vector<TextElement> texts;
    // Told when the user taps the row (also through automation).
    std::function<void()> onTapped;

    static ItemWidget* Of(const Control& control);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    State CurrentState() const { return isDown() ? Pressed : Normal; }
    void DrawAnnex(class QPainter& painter) const;
};

// Adds "checked" (items with a mark) and "expanded" (table group items) to an
// automation list entry; other controls are left alone.
void DescribeItemState(const Control& control, QJsonObject& entry);

}  // namespace Vx::Ui::Controls
