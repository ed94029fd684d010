// Process-wide set-up of the windows, done once by main() (and by the test programs) before any
// window is made: the resources of the ui library and the font substitutions the forms need.
#pragma once

void setUpUiProcess();
