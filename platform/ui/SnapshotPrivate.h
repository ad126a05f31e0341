#pragma once
#include <QPixmap>
#include <QWidget>

namespace Vx::Ui {

// The screen as the user sees it: the active frame, with `window` drawn over
// it at its place when it is another window (a popup, a message box, a menu).
QPixmap DrawScreen(QWidget* window);

}  // namespace Vx::Ui
