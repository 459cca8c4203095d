#include "app/WindowLayout.h"

#include <QWidget>

namespace app {

namespace {

QFont japaneseFont(const char* family, int pixels)
{
    QFont font;
    font.setFamilies({QString::fromUtf8(family), "IPAPGothic", "IPAGothic", "Noto Sans CJK JP", "VL PGothic"});
    font.setPixelSize(pixels);
    return font;
}

}  // namespace

QFont windowFont()
{
    return japaneseFont("ＭＳ Ｐゴシック", 15);
}

QFont startLabelFont()
{
    QFont font = japaneseFont("ＭＳ ゴシック", 22);
    font.setBold(true);
    return font;
}

void place(QWidget* widget, int x, int y, int width, int height)
{
    const QSize hint = widget->sizeHint();
    widget->setGeometry(x, y, std::max(width, hint.width()), std::max(height, hint.height()));
}

QSize fitting(const QWidget* container, int width, int height)
{
    QSize size(width, height);
    for (const QObject* child : container->children()) {
        if (const auto* w = qobject_cast<const QWidget*>(child); w && !w->isWindow()) {
            size = size.expandedTo(QSize(w->geometry().right() + 8, w->geometry().bottom() + 8));
        }
    }
    return size;
}

}  // namespace app
