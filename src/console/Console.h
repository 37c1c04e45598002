// The console thread: its record, the banner and the command loop with its dispatch.
#pragma once
#include <cstdint>

#include "console/Commande.h"
#include "map/Map.h"
#include "map/TagReader.h"
#include "net/Decouverte.h"
#include "net/Repondeur.h"
#include "net/Reseau.h"
#include "options/Options.h"

// Created once and never moved or destroyed: the game thread keeps addresses into it.
struct Console {
    NameTable mapNames;   // filled at start; index = map number
    Options options;      // as loaded at start
    int32_t mapCount = 0; // valid entries of mapNames
    int32_t started = 0;  // 1 once start has fully succeeded
    Map displayMap;       // loaded only to print a map's elements
    Reseau reseau;        // its host flag reads 0 until start has connected
    Repondeur repondeur;  // answers discovery probes once this console hosts
};

// Size of the dire text line: at most 47 characters and the zero.
constexpr int32_t TEXT_LINE_SIZE = 48;

// What the command loop keeps beside the Console.
struct ConsoleLoop {
    Commande commande;
    char text[TEXT_LINE_SIZE];
    Options workingCopy;  // only the command option uses it; never loaded from the file
    ListeParties parties; // the games the last cherche found, for rejoindre
};

// Runs one command line on `console`, as the loop does; 1 when the loop must end.
int32_t runCommand(Console& console, ConsoleLoop& loop, const Commande& c);

// Prints the banner, then reads and runs commands until quitter or the end of standard
// input. Returns the exit status, 0.
int runConsole();

// The program's one console, alive until the process ends; the dedicated server sets it up
// as start would.
Console& programConsole();
// The command loop of runConsole without its banner. Returns the exit status, 0.
int runCommands();
