// The program's command line, and the dedicated server it can start: a host with neither
// window nor player of its own, run from the console on standard input.
#pragma once
#include <cstdint>

// Without arguments, the console as ever. "--serveur [--port P] [--map N]": a dedicated
// server on TCP port P (2302; 0: any free port) playing map N of the list (0). "--help":
// the usage. Returns the exit status: 0; 1 when the server cannot start (options, map list,
// map, port); 2 for a bad command line, after the reason and the usage on standard error.
int runProgram(int argc, char** argv);

// A command-line number: the whole of `text` a decimal within [low, high]. False otherwise,
// and `out` is left as it was.
bool parseWholeNumber(const char* text, int32_t low, int32_t high, int32_t& out);
