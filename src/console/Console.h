// The console thread: banner, command loop and dispatch.
#pragma once

// Runs the command loop until `quitter` or the end of standard input; returns the exit status.
int runConsole();
