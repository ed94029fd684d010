// Fix-ups that the Designer forms of both windows need and cannot say themselves.
#pragma once

#include <QtGlobal>

#include <initializer_list>
#include <utility>

class QString;
class QWidget;

namespace FormDesign {

// Designer needs identifiers; the program's control arrays are named "Label1(1)", "Seb(0)"...
// Renames every child called <name>_<index> accordingly.
void nameControlArrays(QWidget *form);

// Point sizes such as 8.25 that a form file rounds.
void setFractionalFonts(std::initializer_list<std::pair<QWidget *, qreal>> fonts);

// The window icon from a 16- and a 32-pixel resource image.
void setIcon(QWidget *window, const QString &icon16, const QString &icon32);

// Centres the window on the screen of its owner, or on the primary screen.
void centreOnScreen(QWidget *window);

} // namespace FormDesign
