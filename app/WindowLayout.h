// Placing controls at the designed positions without ever clipping their text.
#pragma once

#include <QFont>
#include <QSize>

class QWidget;

namespace app {

// The designed font, "ＭＳ Ｐゴシック" 15 px, falling back to an installed Japanese font.
QFont windowFont();
// The start point labels' font, "ＭＳ ゴシック" 22 px bold.
QFont startLabelFont();

// Puts the widget at the designed position with at least the designed size, larger
// where its text needs it.
void place(QWidget* widget, int x, int y, int width, int height);

// The designed size of a container, grown to hold every child.
QSize fitting(const QWidget* container, int width, int height);

}  // namespace app
