#include "console/Commande.h"

#include <cstdio>
#include <cstring>

#include "console/Input.h"

namespace {

struct CommandWord {
    const char* word;
    int32_t number;
};

// Compared in this order; the first match wins.
const CommandWord COMMAND_TABLE[] = {
    {"aide", CMD_AIDE},
    {"quitter", CMD_QUITTER},
    {"start", CMD_START},
    {"listemap", CMD_LISTEMAP},
    {"listetexture", CMD_LISTETEXTURE},
    {"option", CMD_OPTION},
    {"affichemap", CMD_AFFICHEMAP},
    {"score", CMD_SCORE},
    {"expulse", CMD_EXPULSE},
    {"dire", CMD_DIRE},
    {"chargemap", CMD_CHARGEMAP},
    {"reset", CMD_RESET},
    {"cherche", CMD_CHERCHE},
    {"rejoindre", CMD_REJOINDRE},
};

// Reads the arguments that follow the command word; returns how many were read.
int32_t readArguments(int32_t arguments[MAX_ARGUMENTS]) {
    int32_t count = 0;
    while (count < MAX_ARGUMENTS) {
        // The character that ended the previous word: a line break ends the command.
        const int32_t separator = readChar();
        if (separator == '\n' || separator == END_OF_INPUT) break;
        char word[WORD_SIZE];
        if (readWord(word, WORD_SIZE) != 0) break;
        arguments[count++] = toInteger(word);
    }
    return count;
}

} // namespace

int32_t commandNumber(const char* word) {
    for (const CommandWord& entry : COMMAND_TABLE)
        if (strcmp(word, entry.word) == 0) return entry.number;
    return CMD_UNKNOWN;
}

int32_t readCommand(Commande& commande) {
    printf("\n>>>");
    char word[WORD_SIZE];
    if (readWord(word, WORD_SIZE) != 0) return 1;
    const int32_t count = readArguments(commande.arguments);
    commande.arguments[count] = END_MARKER;
    commande.number = commandNumber(word);
    return 0;
}
