// Tag files: whole-file reads, list files (<name> entries) and the lexical layer of map files
// (tags, parenthesised groups, [texture] and {repeat} settings, numbers).
#pragma once
#include <cstdint>

// Kind codes of a tag, and the two extra results of readGroup in the same number space.
enum : int32_t {
    TAG_END = 0,
    TAG_ERROR = 1,
    MORE_GROUPS = 2,
    END_OF_DATA = 3,
    TAG_APPARITION = 4,
    TAG_PLAFON = 5,
    TAG_MUR = 6,
    TAG_PORTE = 7,
    TAG_CAISSE_DE_SOIN = 8,
    TAG_TELEPORTEUR = 9,
};

// One tag of a map file.
struct Balise {
    char name[32];
    int32_t kind;
};

constexpr int32_t LIST_MAX_ENTRIES = 256;
constexpr int32_t LIST_ENTRY_SIZE = 64;
using NameTable = char[LIST_MAX_ENTRIES][LIST_ENTRY_SIZE];

// Reads a whole file. Returns a new[] buffer (no terminating zero) that the caller releases
// with delete[], and its size; prints the load error and returns null with size 0 on failure.
char* readWholeFile(const char* name, int32_t& size);

// Reads a list file into `names`; returns 0, or 1 (no entries) when the file cannot be read.
int32_t readListFile(const char* name, NameTable& names, int32_t& count);
// A list of the game (the maps, the texture lists): the game folder's, then, once installed,
// the entries of the user's own list of that name, as far as the table holds. Only the game
// folder's list must exist.
int32_t readGameList(const char* name, NameTable& names, int32_t& count);
// The entries of a list already in memory (`size` bytes, no terminator needed), stored from
// slot `first` on; slots past the last entry are left as they were. Returns how many were
// stored.
int32_t readListBuffer(const char* buffer, int32_t size, NameTable& names, int32_t first = 0);

// Finds the next tag from `pos`, classifies it; `pos` is left on its '>'.
int32_t nextTag(const char* buffer, int32_t& pos, int32_t size);

// Reads the next group of an element in `mode` (0: one value, 1: two, 2: letter and three),
// applying the [n] and {n} settings met before it. settings[0] is the texture, [1] the repeat.
// Returns MORE_GROUPS, END_OF_DATA or the kind of the next tag.
int32_t readGroup(int32_t mode, const char* buffer, int32_t& pos, int32_t size, int32_t settings[2],
                  char& orientation, int32_t values[3]);

// Each reads one value starting after `pos`, leaving `pos` on the character where it stopped.
int32_t readNumber(const char* buffer, int32_t& pos, int32_t size);
int32_t readBracketNumber(const char* buffer, int32_t& pos, int32_t size);
int32_t readBraceNumber(const char* buffer, int32_t& pos, int32_t size);
