// One command line as the console reads it: the command's number and its numeric arguments.
#pragma once
#include <cstdint>

// Command numbers; 0 is a word that matches no command.
enum : int32_t {
    CMD_UNKNOWN = 0,
    CMD_QUITTER = 1,
    CMD_AIDE = 2,
    CMD_START = 3,
    CMD_LISTEMAP = 4,
    CMD_LISTETEXTURE = 5,
    CMD_AFFICHEMAP = 6,
    CMD_OPTION = 7,
    CMD_DIRE = 8,
    CMD_EXPULSE = 9,
    CMD_SCORE = 10,
    CMD_CHARGEMAP = 11,
    CMD_RESET = 12,
    CMD_CHERCHE = 13,
    CMD_REJOINDRE = 14,
};
constexpr int32_t LAST_COMMAND = CMD_REJOINDRE;

constexpr int32_t MAX_ARGUMENTS = 20;
constexpr int32_t WORD_SIZE = 100; // a word keeps at most 99 characters
// Follows the last argument. Not INT32_MIN itself, so every range check rejects it.
constexpr int32_t END_MARKER = -2147483647;

struct Commande {
    int32_t number;
    int32_t arguments[MAX_ARGUMENTS + 1]; // up to 20, then END_MARKER
};

// Prints the prompt "\n>>>" and reads one command: a word, then while the character after
// the previous word is not a line break, up to 20 words converted like atoi. A line ending
// in a space therefore takes its next word from the following line, and the words after the
// 20th argument are read as the next command. 0, or 1 at end of input (no command read).
int32_t readCommand(Commande& commande);

// The number of a command word, matched exactly and case-sensitively; CMD_UNKNOWN if none.
int32_t commandNumber(const char* word);
