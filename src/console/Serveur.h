// The program's command line, and the dedicated server it can start: a host with neither
// window nor player of its own, run from the console on standard input.
#pragma once
#include <cstdint>

// What the command line asks for.
struct Serveur {
    int32_t wanted = 0; // --serveur
    int32_t port = 2302;
    int32_t mapNumber = 0;
};

// Without arguments, the console as ever. "--serveur [--port P] [--map N]": a dedicated
// server on TCP port P (0: any free port) playing map N of the list. "--help": the usage.
// Returns the exit status: 0; 1 when the server cannot start (options, map list, map,
// port); 2 for a bad command line, after the usage on standard error.
int runProgram(int argc, char** argv);

// Reads the arguments after the program's name into `serveur`. 0 when they ask for a
// server, 1 for the usage (--help), 2 when they are wrong (the reason printed first).
int32_t parseCommandLine(int argc, char** argv, Serveur& serveur);
