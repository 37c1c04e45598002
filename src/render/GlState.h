// The OpenGL state the game draws with, set once after its window opened.
#pragma once

#include "options/Options.h"

// freeglut ends the process if a sphere is drawn before glutInit, and on a second glutInit;
// so it is initialised once per process, by the first call, after a window on an X display
// has been opened.
void initGlutOnce();

// Depth test, textures and alpha blending on; linear fog from 10 to visibility x 100 units
// when the options ask for it; the 0.7 grey as clear and fog colour; a 70-degree perspective
// from 1 to visibility x 200 units on the window's shape.
void setGlState(const Options& o);
