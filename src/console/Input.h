// Bounded reads from standard input: words like "%s", numbers like "%d", and chat lines.
// Every read keeps what fits its buffer and never writes past it.
#pragma once
#include <cstdint>

constexpr int32_t END_OF_INPUT = -1;

// One character, or END_OF_INPUT.
int32_t readChar();

// Skips white space, then reads one word into `out` (`size` >= 1 bytes, always terminated),
// keeping its first size-1 characters and discarding the rest of the word. The white-space
// character after the word stays unread. 0, or 1 at end of input before any word.
int32_t readWord(char* out, int32_t size);

// Skips white space, then reads an optional sign and decimal digits, clamped to int32.
// 1 when no number stands there (`value` unchanged; the text stays unread, except a lone sign)
// or at end of input; 0 otherwise.
int32_t readDecimal(int32_t& value);

// Reads the rest of the current line into `out` (`size` >= 1 bytes, always terminated),
// without its line break. Characters beyond size-1 are discarded up to the line break, so an
// over-long line never spills into the next read. 0, or 1 at end of input before any character.
int32_t readLine(char* out, int32_t size);

// Like atoi: optional sign and leading digits, anything else gives 0; clamped to int32.
int32_t toInteger(const char* word);
