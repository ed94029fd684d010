// Colours as the program holds them (0x00BBGGRR, red in the low byte) and their way onto widgets:
// the lamps, the read-out and the colour swatches show a colour as their background.
#pragma once

#include <QColor>
#include <QtGlobal>

class QWidget;

namespace LampColor {
constexpr quint32 Red = 0x0000FF;
constexpr quint32 Green = 0x00C000;
constexpr quint32 Black = 0x000000;
} // namespace LampColor

QColor colorFromBgr(quint32 colorBgr);

// Fills the widget's background with the colour, in every palette group so that the colour does
// not change when the window loses the focus.
void setBackColor(QWidget *widget, quint32 colorBgr);
