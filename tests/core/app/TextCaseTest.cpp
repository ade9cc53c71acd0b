// SPDX-License-Identifier: GPL-3.0-or-later
// Checks the letter-case fold used to compare login identifiers and passwords.
#include "core/app/TextCase.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(TextCase, FoldsLettersOfTheCoveredScripts) {
    EXPECT_EQ(FoldCase("Admin-42"), "admin-42");
    EXPECT_EQ(FoldCase("ÄÖÜ ÀÉÎ ×"), "äöü àéî ×");  // Latin-1; the multiplication sign stays
    EXPECT_EQ(FoldCase("ŁĄŻŹĆ Ÿ"), "łążźć ÿ");      // Latin Extended-A, odd and even pairs
    EXPECT_EQ(FoldCase("ΑΘΗΝΑ Ά"), "αθηνα ά");      // Greek
    EXPECT_EQ(FoldCase("МОСКВА Ё"), "москва ё");    // Cyrillic
    EXPECT_EQ(FoldCase("ＡＢＣ"), "ａｂｃ");        // fullwidth Latin
    EXPECT_EQ(FoldCase("ẠẤ"), "ạấ");                // Vietnamese
    EXPECT_EQ(FoldCase("김철수 やまだ"), "김철수 やまだ");  // scripts without case stay
}

TEST(TextCase, KeepsInvalidUtf8ByteForByte) {
    const std::string broken = std::string("A\xC3") + "B\xFF" + "\xE2\x82";
    EXPECT_EQ(FoldCase(broken), std::string("a\xC3") + "b\xFF" + "\xE2\x82");
    // An overlong encoding of 'A' is not a letter.
    EXPECT_EQ(FoldCase("\xC1\x81"), "\xC1\x81");
}

TEST(TextCase, EqualsNoCase) {
    EXPECT_TRUE(EqualsNoCase("GUEST", "guest"));
    EXPECT_TRUE(EqualsNoCase("Jörg", "JÖRG"));
    EXPECT_FALSE(EqualsNoCase("Jorg", "Jörg"));
    EXPECT_FALSE(EqualsNoCase("admin", "admin "));
    EXPECT_TRUE(EqualsNoCase("", ""));
}

}  // namespace
}  // namespace vantrel
