// The tag syntax: list files, tag scanning with its messages, groups, settings and numbers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "../support/StdoutCapture.h"
#include "../support/TempFolder.h"
#include "map/TagReader.h"

namespace {

using testsupport::StdoutCapture;
using testsupport::TempFolder;

// The text in a heap block of exactly its size, so any read past the end is caught by ASan.
struct Data {
    explicit Data(const std::string& text)
        : bytes(new char[text.size() > 0 ? text.size() : 1]),
          size(static_cast<int32_t>(text.size())) {
        std::memcpy(bytes.get(), text.data(), text.size());
    }
    std::unique_ptr<char[]> bytes;
    int32_t size;
};

struct TagResult {
    int32_t kind;
    int32_t pos;
    std::string printed;
};

TagResult scanTag(const std::string& text, int32_t start = 0) {
    const Data data(text);
    TagResult r{0, start, ""};
    StdoutCapture capture;
    capture.start();
    r.kind = nextTag(data.bytes.get(), r.pos, data.size);
    r.printed = capture.stop();
    return r;
}

struct GroupResult {
    int32_t code;
    int32_t pos;
    int32_t settings[2];
    char orientation;
    int32_t values[3];
};

GroupResult group(int32_t mode, const std::string& text, int32_t start = 0) {
    const Data data(text);
    GroupResult r{0, start, {0, 1}, 0, {-1, -1, -1}};
    r.code =
        readGroup(mode, data.bytes.get(), r.pos, data.size, r.settings, r.orientation, r.values);
    return r;
}

class ListFile : public ::testing::Test {
  protected:
    int32_t read(const std::string& bytes) {
        folder.write("a.list", bytes);
        return readListFile(folder.file("a.list").c_str(), names, count);
    }
    TempFolder folder;
    NameTable names;
    int32_t count = -1;
};

TEST_F(ListFile, EntriesAreTakenByteForByteWhateverStandsBetweenThem) {
    std::string many;
    std::vector<std::string> first256;
    for (int i = 0; i < 300; ++i) {
        many += "<m" + std::to_string(i) + ">\n";
        if (i < 256) first256.push_back("m" + std::to_string(i));
    }
    const std::string x63(63, 'x'), y63(63, 'y');
    const struct {
        std::string bytes;
        std::vector<std::string> names;
    } cases[] = {
        {"  <salle.map>    map 0\n\t<tour de garde\\b.map> x\n<>\n",
         {"salle.map", "tour de garde\\b.map", ""}},
        {many, first256}, // at most 256 entries
        // A long entry keeps 63 characters and the next is read normally; for exactly 63 the
        // '>' is the byte stepped over.
        {"<" + std::string(70, 'x') + ">\n<suite.map>\n<" + y63 + "><z>",
         {x63, "suite.map", y63, "z"}},
        {"<a.map> <b.m", {"a.map", "b.m"}}, // an unclosed entry runs to the end of the data
        {"rien ici\n", {}},
        {"", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 40));
        ASSERT_EQ(0, read(c.bytes));
        ASSERT_EQ(static_cast<int32_t>(c.names.size()), count);
        for (int32_t i = 0; i < count; ++i)
            EXPECT_EQ(c.names[i], names[i]) << i;
    }
}

TEST_F(ListFile, WholeFileGivesTheBytesAndAMissingOneIsFailure) {
    folder.write("f", std::string("a\0b", 3));
    int32_t size = -1;
    char* bytes = readWholeFile(folder.file("f").c_str(), size);
    ASSERT_NE(nullptr, bytes);
    EXPECT_EQ(3, size);
    EXPECT_EQ(0, std::memcmp(bytes, "a\0b", 3));
    delete[] bytes;
    testsupport::printedBy([&] { bytes = readWholeFile(folder.path(), size); });
    EXPECT_EQ(nullptr, bytes); // a folder is no file
    EXPECT_EQ(0, size);

    const std::string missing = folder.file("absent.list");
    EXPECT_EQ(
        "Erreur lors du chargement du fichier: \"" + missing + "\"\n",
        testsupport::printedBy([&] { EXPECT_EQ(1, readListFile(missing.c_str(), names, count)); }));
    EXPECT_EQ(0, count);
    EXPECT_STREQ("", names[0]);
}

TEST(Tag, KindsPositionsAndMessages) {
    const std::string cut(31, 'a');
    const std::string unknown = "Erreur balise \"";
    const struct {
        std::string text;
        int32_t kind;
        int32_t pos; // -1: not checked
        std::string printed;
    } cases[] = {
        {"texte libre <apparition> (1,1)", TAG_APPARITION, -1, ""},
        {"<plafon> (0)", TAG_PLAFON, -1, ""},
        {"<mur> (h,0,0,1)", TAG_MUR, -1, ""},
        {"<porte> (h,0,0,1)", TAG_PORTE, -1, ""},
        {"<teleporteur> (h,0,0,1)", TAG_TELEPORTEUR, -1, ""},
        {"<fin> et la suite", TAG_END, -1, ""},
        {"ab <caisse de soin> (4,4)", TAG_CAISSE_DE_SOIN, 18, ""}, // on the '>'
        {"<Mur> (h,1,2,3)(0,1)", TAG_ERROR, 4,
         "Erreur de syntaxe dans la balise \"\"\nCaractere incorrect:M\n" + unknown +
             "Mur\" inconnue\n"},
        {"<caisse  de soin> (4,4)", TAG_ERROR, -1, unknown + "caisse  de soin\" inconnue\n"},
        // Cut at 31 characters, stopping on the one after the 31st.
        {"<" + std::string(35, 'a') + "> (1,1) et encore", TAG_ERROR, 32,
         "Erreur de syntaxe:la balise \"" + cut + "\" est trop longue\n" + unknown + cut +
             "\" inconnue\n"},
        // No tag, or data too short, ends the scan silently.
        {"", TAG_END, -1, ""},
        {"aucune balise ici", TAG_END, -1, ""},
        {"<a", TAG_END, -1, ""},
        {"<", TAG_END, -1, ""},
        // A name reaching the last three bytes ('f' at index 8 = size - 3) ends silently.
        {"  <abcdefg>", TAG_END, 8, ""},
        {"<zzz>xy", TAG_END, -1, ""}, // the '>' of an unknown name in the last three bytes
        {"<zzz>xyz", TAG_ERROR, -1, unknown + "zzz\" inconnue\n"}, // one byte more: a real tag
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const TagResult r = scanTag(c.text);
        EXPECT_EQ(c.kind, r.kind);
        if (c.pos >= 0) {
            EXPECT_EQ(c.pos, r.pos);
        }
        EXPECT_EQ(c.printed, r.printed);
    }
}

TEST(Group, CodePositionSettingsOrientationAndValues) {
    constexpr int32_t X = INT32_MIN; // not checked
    constexpr int32_t MORE = MORE_GROUPS, END = END_OF_DATA;
    const std::string missing = "(5)(6,7) (8) ", later = "(4)[9]{8}(5) ";
    const struct {
        int32_t mode;
        std::string text;
        int32_t start;
        int32_t expected[8]; // code, pos, settings 0 and 1, orientation, values 0 to 2
    } cases[] = {
        // Values skip everything but digits.
        {1, "(12,x7)", 0, {MORE, 7, X, X, X, 12, 7, X}},
        {1, "( 10 , 2 ) ", 0, {X, X, X, X, X, 10, 2, X}},
        {1, "(-5,) ", 0, {X, X, X, X, X, 5, 0, X}},
        // Extra values are free text; missing ones are read on, into the next group.
        {1, "(1,2,3) ", 0, {MORE, X, X, X, X, 1, 2, X}},
        {1, missing, 0, {MORE, 5, X, X, X, 5, 6, X}}, // on the ',' before the 7
        {0, missing, 5, {X, X, X, X, X, 8, X, X}},
        {2, "(h,1,2,3) ", 0, {MORE, X, X, X, 'h', 1, 2, 3}},
        {2, "(horizontal,1,2,3) ", 0, {MORE, X, X, X, 'h', 1, 2, 3}},
        {2, "( V v,4,5,6) ", 0, {X, X, X, X, 'v', X, X, X}},
        {2, "  (1,2,3)", 1, {END, 1, X, X, X, X, X, X}}, // no letter
        {2, "(h)  ", 0, {END, 0, X, X, X, X, X, X}},     // no comma
        // Settings apply only before this call's group.
        {0, "[2]{3}(4)", 0, {X, X, 2, 3, X, 4, X, X}},
        {0, later, 0, {MORE, 2, 0, 1, X, X, X, X}},
        {0, later, 2, {X, X, 9, 8, X, 5, X, X}},
        // Ends at the next tag or at the end of the data.
        {0, "(4) [7] <mur> (h,1,1,2)", 0, {TAG_MUR, 12, 0, X, X, X, X, X}},
        {1, "  que du texte ", 0, {END, 15, X, X, X, X, X, X}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text + " from " + std::to_string(c.start));
        const GroupResult g = group(c.mode, c.text, c.start);
        const int32_t got[8] = {g.code,        g.pos,       g.settings[0], g.settings[1],
                                g.orientation, g.values[0], g.values[1],   g.values[2]};
        for (int i = 0; i < 8; ++i) {
            if (c.expected[i] != X) {
                EXPECT_EQ(c.expected[i], got[i]) << "field " << i;
            }
        }
    }
}

TEST(Number, StopsLimitsAndSaturates) {
    using Reader = int32_t (*)(const char*, int32_t&, int32_t);
    const struct {
        Reader read;
        std::string text;
        int32_t value, pos; // pos -1: not checked
    } cases[] = {
        {readNumber, "(75", 7, 2}, // the last byte is not examined
        {readBracketNumber, "[1,2]x", 12, 4},
        {readBraceNumber, "{3)4}x", 34, -1},
        {readNumber, "(" + std::string(30, '0') + "12345)", 1, 32}, // 31 digits taken
        {readNumber, "(", 0, -1},
        {readNumber, "(2147483647)", 2147483647, -1},
        {readNumber, "(2147483648)", 2147483647, -1},
        {readNumber, "(9999999999999999999999999999999)", 2147483647, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const Data data(c.text);
        int32_t pos = 0;
        EXPECT_EQ(c.value, c.read(data.bytes.get(), pos, data.size));
        if (c.pos >= 0) {
            EXPECT_EQ(c.pos, pos);
        }
    }
}

// Random bytes from the syntax's own alphabet through the loader's loop: every scan must stay
// in its buffer (checked by ASan in the sanitizer build) and every loop must end.
TEST(TagSyntax, RandomDataIsScannedSafely) {
    const char alphabet[] = "<>()[]{},hv mur porte fin 0123456789X\n";
    std::srand(1234);
    StdoutCapture capture;
    capture.start();
    bool allEnded = true;
    for (int round = 0; round < 3000 && allEnded; ++round) {
        std::string text;
        const int length = std::rand() % 48;
        for (int i = 0; i < length; ++i)
            text += alphabet[std::rand() % (sizeof alphabet - 1)];
        const Data data(text);
        int32_t pos = 0;
        int32_t settings[2] = {0, 1};
        char orientation = 0;
        int32_t values[3];
        int32_t code = nextTag(data.bytes.get(), pos, data.size);
        int steps = 0;
        while (code >= MORE_GROUPS && steps < 1000) {
            code = readGroup(steps % 3, data.bytes.get(), pos, data.size, settings, orientation,
                             values);
            if (code == END_OF_DATA) code = TAG_END;
            ++steps;
        }
        allEnded = steps < 1000 && pos >= 0 && pos <= data.size + 1;
    }
    capture.stop();
    EXPECT_TRUE(allEnded);
}

} // namespace
