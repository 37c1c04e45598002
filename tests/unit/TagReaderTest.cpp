// The tag syntax: list files, tag scanning with its messages, groups, settings and numbers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

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
    ASSERT_EQ(0, read("  <salle.map>    map 0\n\t<tour de garde\\b.map> x\n<>\n"));
    ASSERT_EQ(3, count);
    EXPECT_STREQ("salle.map", names[0]);
    EXPECT_STREQ("tour de garde\\b.map", names[1]);
    EXPECT_STREQ("", names[2]);
}

TEST_F(ListFile, KeepsAtMost256Entries) {
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += "<m" + std::to_string(i) + ">\n";
    ASSERT_EQ(0, read(text));
    EXPECT_EQ(256, count);
    EXPECT_STREQ("m255", names[255]);
}

TEST_F(ListFile, LongEntryKeeps63CharactersAndTheNextIsReadNormally) {
    const std::string longName(70, 'x');
    ASSERT_EQ(0, read("<" + longName + ">\n<suite.map>\n<" + std::string(63, 'y') + "><z>"));
    ASSERT_EQ(4, count);
    EXPECT_EQ(std::string(63, 'x'), names[0]);
    EXPECT_STREQ("suite.map", names[1]);
    EXPECT_EQ(std::string(63, 'y'), names[2]); // exactly 63: its '>' is the byte stepped over
    EXPECT_STREQ("z", names[3]);
}

TEST_F(ListFile, UnclosedEntryRunsToTheEndOfTheData) {
    ASSERT_EQ(0, read("<a.map> <b.m"));
    ASSERT_EQ(2, count);
    EXPECT_STREQ("b.m", names[1]);
}

TEST_F(ListFile, NoEntryIsSuccessAndAMissingFileIsFailure) {
    ASSERT_EQ(0, read("rien ici\n"));
    EXPECT_EQ(0, count);
    ASSERT_EQ(0, read(""));
    EXPECT_EQ(0, count);

    const std::string missing = folder.file("absent.list");
    StdoutCapture capture;
    capture.start();
    EXPECT_EQ(1, readListFile(missing.c_str(), names, count));
    EXPECT_EQ("Erreur lors du chargement du fichier: \"" + missing + "\"\n", capture.stop());
    EXPECT_EQ(0, count);
    EXPECT_STREQ("", names[0]);
}

TEST(WholeFile, GivesTheBytesOrNothing) {
    TempFolder folder;
    folder.write("f", std::string("a\0b", 3));
    int32_t size = -1;
    char* bytes = readWholeFile(folder.file("f").c_str(), size);
    ASSERT_NE(nullptr, bytes);
    EXPECT_EQ(3, size);
    EXPECT_EQ(0, std::memcmp(bytes, "a\0b", 3));
    delete[] bytes;

    StdoutCapture capture;
    capture.start();
    EXPECT_EQ(nullptr, readWholeFile(folder.path(), size)); // a folder is no file
    capture.stop();
    EXPECT_EQ(0, size);
}

TEST(Tag, KnownNamesAndFin) {
    EXPECT_EQ(TAG_APPARITION, scanTag("texte libre <apparition> (1,1)").kind);
    EXPECT_EQ(TAG_PLAFON, scanTag("<plafon> (0)").kind);
    EXPECT_EQ(TAG_MUR, scanTag("<mur> (h,0,0,1)").kind);
    EXPECT_EQ(TAG_PORTE, scanTag("<porte> (h,0,0,1)").kind);
    EXPECT_EQ(TAG_TELEPORTEUR, scanTag("<teleporteur> (h,0,0,1)").kind);
    EXPECT_EQ(TAG_END, scanTag("<fin> et la suite").kind);
    const TagResult r = scanTag("ab <caisse de soin> (4,4)");
    EXPECT_EQ(TAG_CAISSE_DE_SOIN, r.kind);
    EXPECT_EQ(18, r.pos); // on the '>'
    EXPECT_EQ("", r.printed);
}

TEST(Tag, UppercaseLetterPrintsBothMessages) {
    const TagResult r = scanTag("<Mur> (h,1,2,3)(0,1)");
    EXPECT_EQ(TAG_ERROR, r.kind);
    EXPECT_EQ(4, r.pos);
    EXPECT_EQ("Erreur de syntaxe dans la balise \"\"\nCaractere incorrect:M\n"
              "Erreur balise \"Mur\" inconnue\n",
              r.printed);
}

TEST(Tag, DoubleSpaceIsUnknown) {
    const TagResult r = scanTag("<caisse  de soin> (4,4)");
    EXPECT_EQ(TAG_ERROR, r.kind);
    EXPECT_EQ("Erreur balise \"caisse  de soin\" inconnue\n", r.printed);
}

TEST(Tag, NameCutAt31Characters) {
    const std::string name(35, 'a');
    const TagResult r = scanTag("<" + name + "> (1,1) et encore");
    EXPECT_EQ(TAG_ERROR, r.kind);
    EXPECT_EQ(32, r.pos); // the character after the 31st
    const std::string cut(31, 'a');
    EXPECT_EQ("Erreur de syntaxe:la balise \"" + cut + "\" est trop longue\nErreur balise \"" +
                  cut + "\" inconnue\n",
              r.printed);
}

TEST(Tag, NoTagOrTooShortDataEndsTheScan) {
    EXPECT_EQ(TAG_END, scanTag("").kind);
    EXPECT_EQ(TAG_END, scanTag("aucune balise ici").kind);
    const TagResult shortData = scanTag("<a");
    EXPECT_EQ(TAG_END, shortData.kind);
    EXPECT_EQ("", shortData.printed);
    EXPECT_EQ(TAG_END, scanTag("<").kind);
}

TEST(Tag, NameInTheLastThreeBytesEndsSilently) {
    // 'f' stands at index 8 = size - 3.
    const TagResult inName = scanTag("  <abcdefg>");
    EXPECT_EQ(TAG_END, inName.kind);
    EXPECT_EQ(8, inName.pos);
    EXPECT_EQ("", inName.printed);
    // An unknown name whose '>' lies in the last three bytes.
    const TagResult closing = scanTag("<zzz>xy");
    EXPECT_EQ(TAG_END, closing.kind);
    EXPECT_EQ("", closing.printed);
    // One byte more and it is a real, unknown tag.
    EXPECT_EQ(TAG_ERROR, scanTag("<zzz>xyz").kind);
}

TEST(Group, ValuesSkipEverythingButDigits) {
    const GroupResult mixed = group(1, "(12,x7)");
    EXPECT_EQ(MORE_GROUPS, mixed.code);
    EXPECT_EQ(12, mixed.values[0]);
    EXPECT_EQ(7, mixed.values[1]);
    EXPECT_EQ(7, mixed.pos);

    const GroupResult spaced = group(1, "( 10 , 2 ) ");
    EXPECT_EQ(10, spaced.values[0]);
    EXPECT_EQ(2, spaced.values[1]);

    const GroupResult signs = group(1, "(-5,) ");
    EXPECT_EQ(5, signs.values[0]);
    EXPECT_EQ(0, signs.values[1]);
}

TEST(Group, ExtraValuesAreFreeTextAndMissingOnesReadOn) {
    const GroupResult extra = group(1, "(1,2,3) ");
    EXPECT_EQ(1, extra.values[0]);
    EXPECT_EQ(2, extra.values[1]);
    EXPECT_EQ(MORE_GROUPS, extra.code);

    const std::string text = "(5)(6,7) (8) ";
    const GroupResult missing = group(1, text);
    EXPECT_EQ(MORE_GROUPS, missing.code);
    EXPECT_EQ(5, missing.values[0]);
    EXPECT_EQ(6, missing.values[1]);
    EXPECT_EQ(5, missing.pos); // on the ',' before the 7
    const GroupResult rest = group(0, text, missing.pos);
    EXPECT_EQ(8, rest.values[0]);
}

TEST(Group, OrientationGroup) {
    const GroupResult shortForm = group(2, "(h,1,2,3) ");
    const GroupResult longForm = group(2, "(horizontal,1,2,3) ");
    for (const GroupResult& g : {shortForm, longForm}) {
        EXPECT_EQ(MORE_GROUPS, g.code);
        EXPECT_EQ('h', g.orientation);
        EXPECT_EQ(1, g.values[0]);
        EXPECT_EQ(2, g.values[1]);
        EXPECT_EQ(3, g.values[2]);
    }
    EXPECT_EQ('v', group(2, "( V v,4,5,6) ").orientation);

    const GroupResult noLetter = group(2, "  (1,2,3)", 1);
    EXPECT_EQ(END_OF_DATA, noLetter.code);
    EXPECT_EQ(1, noLetter.pos);
    const GroupResult noComma = group(2, "(h)  ");
    EXPECT_EQ(END_OF_DATA, noComma.code);
    EXPECT_EQ(0, noComma.pos);
}

TEST(Group, SettingsOnlyBeforeThisCallsGroup) {
    const GroupResult before = group(0, "[2]{3}(4)");
    EXPECT_EQ(2, before.settings[0]);
    EXPECT_EQ(3, before.settings[1]);
    EXPECT_EQ(4, before.values[0]);

    const std::string text = "(4)[9]{8}(5) ";
    const GroupResult first = group(0, text);
    EXPECT_EQ(MORE_GROUPS, first.code);
    EXPECT_EQ(0, first.settings[0]);
    EXPECT_EQ(1, first.settings[1]);
    EXPECT_EQ(2, first.pos); // where the group ended
    const GroupResult second = group(0, text, first.pos);
    EXPECT_EQ(9, second.settings[0]);
    EXPECT_EQ(8, second.settings[1]);
    EXPECT_EQ(5, second.values[0]);
}

TEST(Group, EndsAtTheNextTagOrTheEndOfTheData) {
    const GroupResult tag = group(0, "(4) [7] <mur> (h,1,1,2)");
    EXPECT_EQ(TAG_MUR, tag.code);
    EXPECT_EQ(12, tag.pos);
    EXPECT_EQ(0, tag.settings[0]);

    const GroupResult nothing = group(1, "  que du texte ");
    EXPECT_EQ(END_OF_DATA, nothing.code);
    EXPECT_EQ(15, nothing.pos);
}

TEST(Number, StopsAndLimits) {
    const Data tail("(75");
    int32_t pos = 0;
    EXPECT_EQ(7, readNumber(tail.bytes.get(), pos, tail.size)); // the last byte is not examined
    EXPECT_EQ(2, pos);

    const Data bracket("[1,2]x");
    pos = 0;
    EXPECT_EQ(12, readBracketNumber(bracket.bytes.get(), pos, bracket.size));
    EXPECT_EQ(4, pos);
    const Data brace("{3)4}x");
    pos = 0;
    EXPECT_EQ(34, readBraceNumber(brace.bytes.get(), pos, brace.size));

    const Data many("(" + std::string(30, '0') + "12345)");
    pos = 0;
    EXPECT_EQ(1, readNumber(many.bytes.get(), pos, many.size)); // 31 digits taken
    EXPECT_EQ(32, pos);

    const Data atEnd("(");
    pos = 0;
    EXPECT_EQ(0, readNumber(atEnd.bytes.get(), pos, atEnd.size));
}

TEST(Number, BeyondInt32Saturates) {
    const Data fits("(2147483647)");
    int32_t pos = 0;
    EXPECT_EQ(2147483647, readNumber(fits.bytes.get(), pos, fits.size));
    for (const char* text : {"(2147483648)", "(9999999999999999999999999999999)"}) {
        const Data big(text);
        pos = 0;
        EXPECT_EQ(2147483647, readNumber(big.bytes.get(), pos, big.size)) << text;
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
