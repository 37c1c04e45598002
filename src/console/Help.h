// The texts the console prints on its own: the start-up banner and the help.
#pragma once

void showBanner();
void showHelp();
