// Conversions between the program's 0x00BBGGRR colours and Qt's, and widget backgrounds.
#include "ui/back_color.h"

#include <QPalette>
#include <QWidget>

QColor colorFromBgr(quint32 colorBgr)
{
    return QColor(int(colorBgr & 0xFF), int((colorBgr >> 8) & 0xFF), int((colorBgr >> 16) & 0xFF));
}

void setBackColor(QWidget *widget, quint32 colorBgr)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colorFromBgr(colorBgr));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}
