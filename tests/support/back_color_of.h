// What colour a widget shows as its background, in the program's 0x00BBGGRR form, for checking
// lamps and swatches.
#pragma once

#include <QColor>
#include <QPalette>
#include <QWidget>

inline quint32 bgrFromColor(const QColor &color)
{
    return quint32(color.red()) | quint32(color.green()) << 8 | quint32(color.blue()) << 16;
}

inline quint32 backColorOf(const QWidget *widget)
{
    return bgrFromColor(widget->palette().color(QPalette::Window));
}
