#include "map/TagReader.h"

#include "platform/File.h"
#include "platform/GameFolders.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

constexpr int32_t MAX_DIGITS = 31;
constexpr int32_t MAX_TAG_NAME = 31;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isLower(char c) {
    return c >= 'a' && c <= 'z';
}

// Decimal digits to int32, like atoi but saturating: a value beyond the int32 range yields
// 2147483647 instead of whatever the runtime would make of it.
int32_t digitsToInt(const char* digits, int32_t count) {
    int64_t value = 0;
    for (int32_t i = 0; i < count; ++i) {
        value = value * 10 + (digits[i] - '0');
        if (value > INT32_MAX) return INT32_MAX;
    }
    return static_cast<int32_t>(value);
}

// One value from the character after `pos` up to `stop` (or ',' too when `commaStops`), at most
// 31 digits; the last byte of the data is never examined.
int32_t readValue(const char* buffer, int32_t& pos, int32_t size, char stop, bool commaStops) {
    char digits[MAX_DIGITS];
    int32_t count = 0;
    int32_t i = pos < 0 ? 0 : (pos >= size ? size : pos + 1);
    while (i < size - 1 && count < MAX_DIGITS) {
        const char c = buffer[i];
        if (c == stop || (commaStops && c == ',')) break;
        if (isDigit(c)) digits[count++] = c;
        ++i;
    }
    pos = i;
    return digitsToInt(digits, count);
}

int32_t kindOf(const char* name) {
    static const struct {
        const char* name;
        int32_t kind;
    } known[] = {
        {"apparition", TAG_APPARITION},
        {"plafon", TAG_PLAFON},
        {"mur", TAG_MUR},
        {"porte", TAG_PORTE},
        {"caisse de soin", TAG_CAISSE_DE_SOIN},
        {"teleporteur", TAG_TELEPORTEUR},
        {"fin", TAG_END},
    };
    for (const auto& k : known)
        if (std::strcmp(name, k.name) == 0) return k.kind;
    return TAG_ERROR;
}

// Moves `i` to the first lowercase letter (wanted 0) or ',' (wanted ','); false when the search
// reaches the last byte of the data first.
bool seek(const char* buffer, int32_t& i, int32_t size, char wanted) {
    while (i < size - 1) {
        const char c = buffer[i];
        if (wanted == 0 ? isLower(c) : c == wanted) return true;
        ++i;
    }
    return false;
}

} // namespace

char* readWholeFile(const char* name, int32_t& size) {
    char* buffer = nullptr;
    size_t bytes = 0;
    size = 0;
    if (name == nullptr) return nullptr;
    if (platform::readFileBytes(name, buffer, bytes) != 0 || bytes > INT32_MAX) {
        delete[] buffer;
        std::printf("Erreur lors du chargement du fichier: \"%s\"\n", name);
        return nullptr;
    }
    // A short read keeps the bytes that arrived: every scan is bounded by this count.
    size = static_cast<int32_t>(bytes);
    return buffer;
}

int32_t readListFile(const char* name, NameTable& names, int32_t& count) {
    for (auto& slot : names)
        slot[0] = '\0';
    count = 0;
    int32_t size = 0;
    char* buffer = readWholeFile(name, size);
    if (buffer == nullptr) return 1;
    count = readListBuffer(buffer, size, names);
    delete[] buffer;
    return 0;
}

int32_t readGameList(const char* name, NameTable& names, int32_t& count) {
    if (readListFile(name, names, count) != 0) return 1;
    char path[4096];
    char* buffer = nullptr;
    size_t bytes = 0;
    // Most users add nothing: no list of their own is no error.
    if (platform::findUserFile(name, path, sizeof path) != 0 ||
        platform::readFileBytes(path, buffer, bytes) != 0)
        return 0;
    if (bytes <= INT32_MAX)
        count += readListBuffer(buffer, static_cast<int32_t>(bytes), names, count);
    delete[] buffer;
    return 0;
}

int32_t readListBuffer(const char* buffer, int32_t size, NameTable& names, int32_t first) {
    int32_t pos = 0;
    int32_t entries = 0;
    if (first < 0) first = LIST_MAX_ENTRIES;
    while (pos < size && first + entries < LIST_MAX_ENTRIES) {
        while (pos < size && buffer[pos] != '<')
            ++pos;
        if (pos >= size) break;
        ++pos;
        char* slot = names[first + entries];
        int32_t length = 0;
        while (pos < size && buffer[pos] != '>' && length < LIST_ENTRY_SIZE - 1)
            slot[length++] = buffer[pos++];
        ++pos; // the '>', or the character after the 63rd
        slot[length] = '\0';
        ++entries;
    }
    return entries;
}

int32_t nextTag(const char* buffer, int32_t& pos, int32_t size) {
    if (pos < 0) pos = 0;
    while (pos < size && buffer[pos] != '<')
        ++pos;
    if (pos >= size) return TAG_END;
    ++pos;

    Balise tag;
    int32_t length = 0;
    tag.name[0] = '\0';
    for (;;) {
        // A name running into the last three bytes cannot be a whole tag: the data ends here.
        if (pos >= size) return TAG_END;
        const char c = buffer[pos];
        if (c == '>' || length == MAX_TAG_NAME) break;
        if (!isLower(c) && c != ' ')
            std::printf("Erreur de syntaxe dans la balise \"%s\"\nCaractere incorrect:%c\n",
                        tag.name, c);
        if (pos >= size - 3) return TAG_END;
        tag.name[length++] = c;
        tag.name[length] = '\0';
        ++pos;
        if (length == MAX_TAG_NAME)
            std::printf("Erreur de syntaxe:la balise \"%s\" est trop longue\n", tag.name);
    }
    tag.kind = kindOf(tag.name);
    if (tag.kind != TAG_ERROR) return tag.kind;
    if (pos >= size - 3) return TAG_END;
    std::printf("Erreur balise \"%s\" inconnue\n", tag.name);
    return TAG_ERROR;
}

int32_t readGroup(int32_t mode, const char* buffer, int32_t& pos, int32_t size, int32_t settings[2],
                  char& orientation, int32_t values[3]) {
    bool groupRead = false;
    // `i` scans ahead; `pos` moves only where a group ends, a tag starts or the data ends, so
    // the settings after a group are met again by the next call and apply to the next group.
    int32_t i = pos < 0 ? 0 : pos;
    for (;;) {
        if (i >= size) {
            pos = size;
            return groupRead ? MORE_GROUPS : END_OF_DATA;
        }
        const char c = buffer[i];
        if (c == '(') {
            if (groupRead) return MORE_GROUPS;
            if (mode == 2) {
                int32_t j = i;
                if (!seek(buffer, j, size, 0)) return END_OF_DATA;
                orientation = buffer[j];
                if (!seek(buffer, j, size, ',')) return END_OF_DATA;
                i = j;
                for (int32_t v = 0; v < 3; ++v)
                    values[v] = readNumber(buffer, i, size);
            } else {
                const int32_t count = mode == 1 ? 2 : 1;
                for (int32_t v = 0; v < count; ++v)
                    values[v] = readNumber(buffer, i, size);
            }
            pos = i;
            groupRead = true;
        } else if (c == '<') {
            pos = i;
            return nextTag(buffer, pos, size);
        } else if (c == '[' && !groupRead) {
            settings[0] = readBracketNumber(buffer, i, size);
        } else if (c == '{' && !groupRead) {
            settings[1] = readBraceNumber(buffer, i, size);
        }
        ++i;
    }
}

int32_t readNumber(const char* buffer, int32_t& pos, int32_t size) {
    return readValue(buffer, pos, size, ')', true);
}

int32_t readBracketNumber(const char* buffer, int32_t& pos, int32_t size) {
    return readValue(buffer, pos, size, ']', false);
}

int32_t readBraceNumber(const char* buffer, int32_t& pos, int32_t size) {
    return readValue(buffer, pos, size, '}', false);
}
