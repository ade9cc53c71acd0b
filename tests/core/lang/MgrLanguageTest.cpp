// SPDX-License-Identifier: GPL-3.0-or-later
// The language table over real files in temporary folders: the number-to-code table, which
// file is chosen from which folder, the English fallbacks, the lookup rules (499 characters,
// backslash-n, empty values, the Button section) and that a changed file or a language switch
// shows at the very next lookup.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>

#include "core/ini/IniFile.h"
#include "core/lang/MgrLanguage.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

struct CodeCase {
    int number;
    const char* code;
};

class LanguageCodeOf : public ::testing::TestWithParam<CodeCase> {};

TEST_P(LanguageCodeOf, MapsNumberToCode) {
    EXPECT_EQ(LanguageCode(GetParam().number), GetParam().code) << GetParam().number;
}

INSTANTIATE_TEST_SUITE_P(MgrLanguage, LanguageCodeOf,
                         ::testing::Values(CodeCase{0, "en"}, CodeCase{1, "kr"}, CodeCase{2, "jp"},
                                           CodeCase{3, "sp"}, CodeCase{9, "fn"}, CodeCase{10, "hg"},
                                           CodeCase{17, "fe"}, CodeCase{19, "ct"},
                                           CodeCase{22, "ng"}, CodeCase{29, "vt"},
                                           CodeCase{30, "en"}, CodeCase{-1, "en"},
                                           CodeCase{INT_MIN, "en"}, CodeCase{INT_MAX, "en"}));

TEST(MgrLanguage, EveryNumberHasItsOwnTwoLetterCode) {
    std::set<std::string_view> codes;
    for (int number = 0; number < kLanguageCount; ++number) {
        EXPECT_EQ(LanguageCode(number).size(), 2u);
        codes.insert(LanguageCode(number));
    }
    EXPECT_EQ(codes.size(), static_cast<std::size_t>(kLanguageCount));
}

class MgrLanguageFiles : public ::testing::Test {
protected:
    void SetUp() override {
        std::mt19937_64 rng(std::random_device{}());
        m_root = fs::temp_directory_path() / ("vantrel-lang-" + std::to_string(rng()));
        m_exe = (m_root / "bin").string() + "/";
        m_share = (m_root / "share" / "vantrel").string() + "/";
        fs::create_directories(m_exe);
        fs::create_directories(m_share);
    }
    void TearDown() override {
        SetActiveLanguageTable(nullptr);
        fs::remove_all(m_root);
    }
    static void Write(const std::string& path, std::string_view text) {
        std::ofstream(path, std::ios::binary) << text;
    }

    fs::path m_root;
    std::string m_exe;
    std::string m_share;
};

TEST_F(MgrLanguageFiles, ChoosesFirstFolderHoldingTheLanguageThenEnglish) {
    Write(m_exe + "lang_en.ini", "[GUI]\nOK=OK exe\n");
    Write(m_exe + "lang_kr.ini", "[GUI]\nOK=kr exe\n");
    Write(m_share + "lang_kr.ini", "[GUI]\nOK=kr share\n");
    Write(m_share + "lang_jp.ini", "[GUI]\nOK=jp share\n");
    Write(m_share + "lang_en.ini", "[GUI]\nOK=OK share\n");
    fs::create_directory(m_exe + "lang_jp.ini");  // a folder of that name is no language file

    CMgrLanguage table({m_exe, m_share});
    const struct {
        int number;
        std::string path;
        const char* text;
    } cases[] = {{1, m_exe + "lang_kr.ini", "kr exe"},  {2, m_share + "lang_jp.ini", "jp share"},
                 {0, m_exe + "lang_en.ini", "OK exe"},  {30, m_exe + "lang_en.ini", "OK exe"},
                 {-1, m_exe + "lang_en.ini", "OK exe"}, {5, m_exe + "lang_en.ini", "OK exe"}};
    for (const auto& c : cases) {
        table.SetLanguage(c.number);
        EXPECT_EQ(table.GetPath(), c.path) << c.number;
        EXPECT_EQ(table.GetText("GUI", "OK", "OK"), c.text) << c.number;
    }
}

TEST_F(MgrLanguageFiles, EnglishFallbackFromALaterFolder) {
    Write(m_share + "lang_en.ini", "[GUI]\nOK=OK share\n");
    // Folder texts without the trailing separator are joined all the same.
    CMgrLanguage table({m_exe.substr(0, m_exe.size() - 1), m_share});
    table.SetLanguage(1);
    EXPECT_EQ(table.GetPath(), m_share + "lang_en.ini");
    EXPECT_EQ(table.GetText("GUI", "OK", "OK"), "OK share");
}

TEST_F(MgrLanguageFiles, WithoutAnyFileEveryTextIsItsDefault) {
    CMgrLanguage table({m_exe, m_share});
    table.SetLanguage(1);
    EXPECT_EQ(table.GetPath(), m_exe + "lang_en.ini");
    EXPECT_EQ(table.GetText("GUI", "OK", "OK"), "OK");
    EXPECT_EQ(table.GetText("MESSAGE", "WANTSAVE", "a\nb"), "a\nb");

    // The English path stands: a file created there later is read at once.
    Write(m_exe + "lang_en.ini", "[GUI]\nOK=Okay\n");
    EXPECT_EQ(table.GetText("GUI", "OK", "OK"), "Okay");

    CMgrLanguage noFolders;
    EXPECT_EQ(noFolders.GetPath(), "");
    noFolders.SetLanguage(0);
    EXPECT_EQ(noFolders.GetPath(), "");
    EXPECT_EQ(noFolders.GetText("GUI", "OK", "OK"), "OK");
}

TEST_F(MgrLanguageFiles, LookupRules) {
    const std::string longText(600, 'x');
    std::string hangul;
    for (int i = 0; i < 600; ++i) {
        hangul += "\xED\x95\x9C";
    }
    Write(m_exe + "lang_en.ini",
          "[GUI]\nOK=\nMINSPEED=Lowest\nLONG=" + longText + "\nHANGUL=" + hangul +
              "\nQUOTED=\"  padded \"\n[MESSAGE]\nWANTSAVE=Save now?\\nNo undo\n"
              "TWO=a\\n\\nb\\\\n\n[Button]\nRead Device=Fetch\n");
    CMgrLanguage table({m_exe});
    table.SetLanguage(0);

    EXPECT_EQ(table.GetText("GUI", "OK", "OK"), "");
    EXPECT_EQ(table.GetText("GUI", "MinSPEED", "Min Speed"), "Lowest");
    EXPECT_EQ(table.GetText("GUI", "LONG", ""), std::string(499, 'x'));
    EXPECT_EQ(table.GetText("GUI", "HANGUL", "").size(), 499u * 3);
    EXPECT_EQ(table.GetText("GUI", "QUOTED", ""), "  padded ");
    EXPECT_EQ(table.GetText("MESSAGE", "WANTSAVE", ""), "Save now?\nNo undo");
    EXPECT_EQ(table.GetText("MESSAGE", "TWO", ""), "a\n\nb\\\n");
    EXPECT_EQ(table.GetText("Button", "Read Device", "Read Device"), "Fetch");
    EXPECT_EQ(table.GetText("Button", "Read SD Card", "Read SD Card"), "Read SD Card");
    EXPECT_EQ(table.GetText("GUI", "CLOSE", "Close"), "Close");
    EXPECT_EQ(table.GetText("NOSUCH", "OK", "OK"), "OK");
}

TEST_F(MgrLanguageFiles, ChangedFileAndLanguageSwitchShowAtOnce) {
    const std::string en = m_exe + "lang_en.ini";
    const std::string kr = m_exe + "lang_kr.ini";
    Write(en, "[GUI]\nOK=OK\n");
    Write(kr, "[GUI]\nOK=\xED\x99\x95\xEC\x9D\xB8\n");
    CMgrLanguage table({m_exe});
    table.SetLanguage(0);
    EXPECT_EQ(table.GetText("GUI", "OK", ""), "OK");

    table.SetLanguage(1);
    EXPECT_EQ(table.GetText("GUI", "OK", ""), "\xED\x99\x95\xEC\x9D\xB8");

    // Rewritten in place, and replaced atomically: both show at the next lookup.
    Write(kr, "[GUI]\nOK=Changed in place\n");
    EXPECT_EQ(table.GetText("GUI", "OK", ""), "Changed in place");
    ASSERT_TRUE(ini::WriteProfileString("GUI", "OK", "Replaced", kr));
    EXPECT_EQ(table.GetText("GUI", "OK", ""), "Replaced");
    ASSERT_TRUE(ini::WriteProfileString("GUI", "OK", "Again!!!", kr));  // same size as before
    EXPECT_EQ(table.GetText("GUI", "OK", ""), "Again!!!");

    fs::remove(kr);
    EXPECT_EQ(table.GetText("GUI", "OK", "default"), "default");
}

TEST_F(MgrLanguageFiles, GetLangTextFollowsTheActiveTable) {
    Write(m_exe + "lang_jp.ini", "[GUI]\nCANCEL=\xE3\x82\xAD\xE3\x83\xA3\xE3\x83\xB3\n");
    EXPECT_EQ(GetLangText("GUI", "CANCEL", "Cancel"), "Cancel");

    CMgrLanguage table({m_exe});
    table.SetLanguage(2);
    SetActiveLanguageTable(&table);
    EXPECT_EQ(GetActiveLanguageTable(), &table);
    EXPECT_EQ(GetLangText("GUI", "CANCEL", "Cancel"), "\xE3\x82\xAD\xE3\x83\xA3\xE3\x83\xB3");
    EXPECT_EQ(GetLangText("GUI", "CLOSE", "Close"), "Close");

    SetActiveLanguageTable(nullptr);
    EXPECT_EQ(GetLangText("GUI", "CANCEL", "Cancel"), "Cancel");
}

}  // namespace
}  // namespace vantrel
