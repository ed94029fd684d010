// The program's name as the user sees it: the title of message boxes and the first words of the
// main window's caption and of the About box.
#pragma once

inline constexpr char kApplicationTitle[] = "Velmora Servo Monitor";
