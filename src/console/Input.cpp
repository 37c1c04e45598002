#include "console/Input.h"

#include <cstdio>

namespace {

bool isBlank(int32_t c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(int32_t c) {
    return c >= '0' && c <= '9';
}

// Leaves the stream on the first character that is not white space; END_OF_INPUT if none.
int32_t skipBlanks() {
    int32_t c = readChar();
    while (c != END_OF_INPUT && isBlank(c))
        c = readChar();
    return c;
}

void unread(int32_t c) {
    if (c != END_OF_INPUT) ungetc(c, stdin);
}

// Accumulates digits while saturating, so a long digit string cannot overflow.
int64_t addDigit(int64_t magnitude, int32_t c) {
    const int64_t limit = int64_t(INT32_MAX) + 1;
    const int64_t next = magnitude * 10 + (c - '0');
    return next > limit ? limit : next;
}

int32_t clampSigned(int64_t magnitude, bool negative) {
    if (negative) return magnitude >= int64_t(INT32_MAX) + 1 ? INT32_MIN : int32_t(-magnitude);
    return magnitude > INT32_MAX ? INT32_MAX : int32_t(magnitude);
}

} // namespace

int32_t readChar() {
    const int c = getchar();
    return c == EOF ? END_OF_INPUT : c;
}

int32_t readWord(char* out, int32_t size) {
    out[0] = '\0';
    int32_t c = skipBlanks();
    if (c == END_OF_INPUT) return 1;
    int32_t length = 0;
    for (; c != END_OF_INPUT && !isBlank(c); c = readChar())
        if (length < size - 1) out[length++] = char(c);
    out[length] = '\0';
    unread(c);
    return 0;
}

int32_t readDecimal(int32_t& value) {
    int32_t c = skipBlanks();
    bool negative = false;
    if (c == '-' || c == '+') {
        negative = c == '-';
        c = readChar();
    }
    if (!isDigit(c)) {
        unread(c);
        return 1;
    }
    int64_t magnitude = 0;
    for (; isDigit(c); c = readChar())
        magnitude = addDigit(magnitude, c);
    unread(c);
    value = clampSigned(magnitude, negative);
    return 0;
}

int32_t readLine(char* out, int32_t size) {
    out[0] = '\0';
    int32_t c = readChar();
    if (c == END_OF_INPUT) return 1;
    int32_t length = 0;
    for (; c != END_OF_INPUT && c != '\n'; c = readChar())
        if (length < size - 1) out[length++] = char(c);
    // A line typed on Windows ends with "\r\n"; the '\r' is not part of the text.
    if (length > 0 && out[length - 1] == '\r') --length;
    out[length] = '\0';
    return 0;
}

int32_t toInteger(const char* word) {
    int32_t i = 0;
    while (isBlank(word[i]))
        ++i;
    bool negative = false;
    if (word[i] == '-' || word[i] == '+') negative = word[i++] == '-';
    int64_t magnitude = 0;
    for (; isDigit(word[i]); ++i)
        magnitude = addDigit(magnitude, word[i]);
    return clampSigned(magnitude, negative);
}
