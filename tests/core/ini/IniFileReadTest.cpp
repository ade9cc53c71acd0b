// SPDX-License-Identifier: GPL-3.0-or-later
// Reading rules of the INI layer: the Windows private-profile semantics the program's files
// depend on (letter case, blanks, quotes, comments, first match, defaults, integer parsing,
// buffer cuts) and the encodings the files come in (UTF-8 with or without BOM, UTF-16LE).
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>

#include "core/ini/IniFile.h"

namespace vantrel::ini {
namespace {

struct ReadCase {
    const char* name;
    const char* text;
    const char* section;
    const char* key;
    std::optional<std::string> expected;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name;
}

class IniFileRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniFileRead, FindsTheValueWindowsWouldRead) {
    const ReadCase& c = GetParam();
    EXPECT_EQ(IniFile::Parse(c.text).Find(c.section, c.key), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    IniFile, IniFileRead,
    ::testing::Values(
        ReadCase{"CaseInsensitiveNames", "[Gui]\nLanguage=2\n", "GUI", "lANGUAGE", "2"},
        ReadCase{"BlanksTrimmed", "  [ GUI ]  \n\t KEY \t=   some value  \t\n", "GUI", "KEY",
                 "some value"},
        ReadCase{"NamesPassedInTrimmed", "[GUI]\nKEY=v\n", " GUI ", "\tKEY ", "v"},
        ReadCase{"InnerBlankInKey", "[A]\nmy key = v\n", "A", "my key", "v"},
        ReadCase{"DoubleQuotesRemovedBlanksKept", "[A]\nk=\"  a b  \"\n", "A", "k", "  a b  "},
        ReadCase{"SingleQuotesRemoved", "[A]\nk='x'\n", "A", "k", "x"},
        ReadCase{"MixedQuotesKept", "[A]\nk=\"x'\n", "A", "k", "\"x'"},
        ReadCase{"LoneQuoteKept", "[A]\nk=\"\n", "A", "k", "\""},
        ReadCase{"InnerQuotesKept", "[A]\nk=say \"hi\" now\n", "A", "k", "say \"hi\" now"},
        ReadCase{"QuotedEmpty", "[A]\nk=\"\"\n", "A", "k", ""},
        ReadCase{"EmptyValueIsEmptyText", "[A]\nk=\n", "A", "k", ""},
        ReadCase{"SplitAtFirstEquals", "[A]\nk = a=b\n", "A", "k", "a=b"},
        ReadCase{"FirstKeyWins", "[A]\nk=1\nK=2\n", "A", "k", "1"},
        ReadCase{"FirstSectionWins", "[A]\nk=1\n[B]\nk=2\n[a]\nk=3\n", "a", "k", "1"},
        ReadCase{"LaterSectionOfSameNameIgnored", "[A]\nk=1\n[a]\nj=3\n", "A", "j", std::nullopt},
        ReadCase{"HashIsNoComment", "[A]\n#k=1\n", "A", "#k", "1"},
        ReadCase{"SemicolonLineIsComment", "[A]\n;k=1\n", "A", ";k", std::nullopt},
        ReadCase{"IndentedSemicolonIsComment", "[A]\n   ;k=1\n", "A", ";k", std::nullopt},
        ReadCase{"SemicolonAfterValueKept", "[A]\nk=a ; b\n", "A", "k", "a ; b"},
        ReadCase{"LineWithoutEqualsIsNoKey", "[A]\nnoequals\nk=1\n", "A", "noequals", std::nullopt},
        ReadCase{"HeaderUpToLastBracket", "[A]B] tail\nk=1\n", "A]B", "k", "1"},
        ReadCase{"UnclosedHeaderIsNoSection", "[A]\n[B\nk=1\n", "A", "k", "1"},
        ReadCase{"KeysBeforeFirstHeaderBelongNowhere", "k=1\n[A]\nj=2\n", "", "k", std::nullopt},
        ReadCase{"CrLfLineEnds", "[A]\r\nk=v\r\nj=w\r\n", "A", "k", "v"},
        ReadCase{"LastLineWithoutLineEnd", "[A]\nk=v", "A", "k", "v"},
        ReadCase{"Utf8Bom", "\xEF\xBB\xBF[GUI]\nOK=\xED\x99\x95\xEC\x9D\xB8\n", "GUI", "OK",
                 "\xED\x99\x95\xEC\x9D\xB8"},
        ReadCase{"MissingSection", "[A]\nk=1\n", "B", "k", std::nullopt},
        ReadCase{"MissingKey", "[A]\nk=1\n", "A", "j", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniFile, DefaultsOnlyWhenFileSectionOrKeyIsMissing) {
    const auto missing =
        std::filesystem::temp_directory_path() / "vantrel-no-such-folder" / "none.ini";
    const IniFile none = IniFile::Load(missing);
    EXPECT_FALSE(none.exists());
    EXPECT_FALSE(none.readFailed());
    EXPECT_EQ(none.GetString("GUI", "OK", "OK"), "OK");
    EXPECT_EQ(GetProfileString("GUI", "OK", "dflt", missing), "dflt");
    EXPECT_EQ(GetProfileInt("GUI", "LANGUAGE", 7, missing), 7);

    const IniFile file = IniFile::Parse("[GUI]\nOK=\nCANCEL=Abbrechen\n");
    EXPECT_EQ(file.GetString("GUI", "OK", "OK"), "");
    EXPECT_EQ(file.GetString("GUI", "CANCEL", "Cancel"), "Abbrechen");
    EXPECT_EQ(file.GetString("GUI", "CLOSE", "Close"), "Close");
    EXPECT_EQ(file.GetString("MESSAGE", "CANCEL", "Cancel"), "Cancel");
}

TEST(IniFile, SectionsAndKeysAsTheFileSpellsThem) {
    const IniFile file =
        IniFile::Parse("[A]\nOne=1\n;two=2\nthree\n Four = 4\none=dup\n[B]\nx=1\n[a]\nlate=1\n");
    EXPECT_TRUE(file.HasSection("a"));
    EXPECT_TRUE(file.HasSection(" B "));
    EXPECT_FALSE(file.HasSection("C"));
    EXPECT_EQ(file.Keys("A"), (std::vector<std::string>{"One", "Four", "one"}));
    EXPECT_TRUE(file.Keys("C").empty());
}

struct IntCase {
    const char* value;
    int expected;
};

class IniFileInt : public ::testing::TestWithParam<IntCase> {};

TEST_P(IniFileInt, LeadingDecimalDigits) {
    const std::string text = std::string("[A]\nk=") + GetParam().value + "\n";
    EXPECT_EQ(IniFile::Parse(text).GetInt("A", "k", 42), GetParam().expected)
        << "value '" << GetParam().value << "'";
}

INSTANTIATE_TEST_SUITE_P(IniFile, IniFileInt,
                         ::testing::Values(IntCase{"12abc", 12}, IntCase{"  7", 7},
                                           IntCase{"\"  7\"", 7}, IntCase{"\"12\"", 12},
                                           IntCase{"007", 7}, IntCase{"abc", 0}, IntCase{"-5", 0},
                                           IntCase{"+3", 0}, IntCase{"1 2", 1},
                                           IntCase{"99999999999", INT_MAX}, IntCase{"", 42},
                                           IntCase{"\"\"", 42}));

TEST(IniFile, MissingIntegerGivesDefault) {
    const IniFile file = IniFile::Parse("[A]\nk=1\n");
    EXPECT_EQ(file.GetInt("A", "j", -3), -3);
    EXPECT_EQ(file.GetInt("B", "k", 9), 9);
}

struct CutCase {
    const char* name;
    std::string value;
    std::size_t bufferSize;
    std::string expected;
};

void PrintTo(const CutCase& c, std::ostream* os) {
    *os << c.name;
}

class IniFileCut : public ::testing::TestWithParam<CutCase> {};

TEST_P(IniFileCut, CutsToBufferSizeMinusOneCharacters) {
    const CutCase& c = GetParam();
    const IniFile file = IniFile::Parse("[A]\nk=" + c.value + "\n");
    EXPECT_EQ(file.GetString("A", "k", "", c.bufferSize), c.expected);
    // The default text passes through the same buffer.
    EXPECT_EQ(file.GetString("A", "missing", c.value, c.bufferSize), c.expected);
}

std::string Repeat(std::string_view unit, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += unit;
    }
    return text;
}

const std::string kHan = "\xED\x95\x9C";        // U+D55C, three bytes
const std::string kSmile = "\xF0\x9F\x98\x80";  // U+1F600, four bytes
const std::string kEAcute = "\xC3\xA9";         // U+00E9, two bytes

INSTANTIATE_TEST_SUITE_P(
    IniFile, IniFileCut,
    ::testing::Values(
        CutCase{"Ascii300At256", Repeat("x", 300), kDefaultBuffer, Repeat("x", 255)},
        CutCase{"Exactly255Kept", Repeat("y", 255), kDefaultBuffer, Repeat("y", 255)},
        CutCase{"Unlimited", Repeat("z", 3000), kUnlimited, Repeat("z", 3000)},
        CutCase{"Hangul600At500", Repeat(kHan, 600), kLanguageBuffer, Repeat(kHan, 499)},
        CutCase{"MixedWidths", "a" + kEAcute + kHan + kSmile + "b", 4, "a" + kEAcute + kHan},
        CutCase{"FourByteKeptWhole", kSmile + kSmile, 2, kSmile},
        CutCase{"StrayByteCountsAsOne",
                "\xFF\xFE"
                "abc",
                4,
                "\xFF\xFE"
                "a"},
        CutCase{"BufferOfOneIsEmpty", "abc", 1, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// UTF-16LE with BOM, as the Windows program's language files are saved.
std::string ToUtf16LeWithBom(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

TEST(IniFile, ReadsUtf16LeWithBomAndCrLf) {
    const std::u16string text =
        u"; \uC5B8\uC5B4 \uD30C\uC77C\r\n[GUI]\r\nOK=\uD655\uC778\r\nCANCEL = \"\uCDE8\uC18C \""
        u"\r\nSMILE=\U0001F600\r\n[Button]\r\n\uD655\uC778=\uD655\uC778!\r\n";
    const IniFile file = IniFile::Parse(ToUtf16LeWithBom(text));
    EXPECT_EQ(file.GetString("GUI", "OK", "OK"), "\xED\x99\x95\xEC\x9D\xB8");
    EXPECT_EQ(file.GetString("gui", "CANCEL", ""), "\xEC\xB7\xA8\xEC\x86\x8C ");
    EXPECT_EQ(file.GetString("GUI", "SMILE", ""), kSmile);
    EXPECT_EQ(file.GetString("Button", "\xED\x99\x95\xEC\x9D\xB8", ""),
              "\xED\x99\x95\xEC\x9D\xB8!");
}

TEST(IniFile, BrokenUtf16BecomesReplacementCharacter) {
    // A high surrogate followed by a plain character, and a final odd byte.
    std::string bytes = ToUtf16LeWithBom(u"[A]\nk=x\xD800y\n");
    bytes += 'Z';
    EXPECT_EQ(IniFile::Parse(bytes).GetString("A", "k", ""), "x\xEF\xBF\xBDy");
}

TEST(IniFile, LoadReadsARealFile) {
    std::mt19937_64 rng(std::random_device{}());
    const auto dir =
        std::filesystem::temp_directory_path() / ("vantrel-ini-read-" + std::to_string(rng()));
    std::filesystem::create_directories(dir);
    const auto path = dir / "lang_kr.ini";
    {
        std::ofstream out(path, std::ios::binary);
        out << ToUtf16LeWithBom(u"[GUI]\r\nLANGUAGE=\uC5B8\uC5B4\r\n");
    }
    const IniFile file = IniFile::Load(path);
    EXPECT_TRUE(file.exists());
    EXPECT_EQ(file.GetString("GUI", "LANGUAGE", "Language"), "\xEC\x96\xB8\xEC\x96\xB4");
    // A folder in place of the file: there but unreadable, unlike a missing file.
    EXPECT_TRUE(IniFile::Load(dir).readFailed());
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace vantrel::ini
