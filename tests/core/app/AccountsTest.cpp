// SPDX-License-Identifier: GPL-3.0-or-later
// Checks the login decision against Account.ini fixtures (no file, a file with accounts and an
// administrator password, a file whose PW is empty), the service password, the login list and
// the file that saving accounts writes.
#include "core/app/Accounts.h"

#include <gtest/gtest.h>

#include "core/ini/IniFile.h"
#include "tests/support/TempFolder.h"

namespace vantrel {
namespace {

using test::TempFolder;

// The service password is the lower-case text whose Base64 form is stored in the program.
constexpr const char* kServicePassword = "qz8419207";

enum class Fixture { NoFile, WithAccounts, EmptyPw };

AccountTable LoadFixture(Fixture fixture, const TempFolder& temp) {
    const std::string path = temp.Folder() + "Account.ini";
    switch (fixture) {
        case Fixture::NoFile:
            break;
        case Fixture::WithAccounts:
            TempFolder::Write(path,
                              "[ACCOUNT]\nPW=Secret\nCOUNT=3\n"
                              "ID1=kim\nPW1=Abc123\nNAME1=Kim Chul\n"
                              "ID2=Jörg\nPW2=Straße\nNAME2=Jörg M\n"
                              "ID3=KIM\nPW3=other\nNAME3=Kim Two\n");
            break;
        case Fixture::EmptyPw:
            TempFolder::Write(path, "[ACCOUNT]\nPW=\nCOUNT=0\n");
            break;
    }
    return LoadAccounts(path);
}

struct LoginCase {
    const char* description;
    Fixture fixture;
    const char* id;
    const char* password;
    LoginMessage message;  // None: accepted
    int level;
    const char* name;
};

class AccountsLogin : public ::testing::TestWithParam<LoginCase> {};

TEST_P(AccountsLogin, DecidesLevelNameOrMessage) {
    const LoginCase& param = GetParam();
    TempFolder temp;
    const AccountTable table = LoadFixture(param.fixture, temp);
    const LoginResult result = CheckLogin(table, param.id, param.password);
    EXPECT_EQ(result.message, param.message) << param.description;
    EXPECT_EQ(result.accepted, param.message == LoginMessage::None) << param.description;
    EXPECT_EQ(result.focusPassword, param.message == LoginMessage::InvalidPassword)
        << param.description;
    if (result.accepted) {
        EXPECT_EQ(result.level, param.level) << param.description;
        EXPECT_EQ(result.userName, param.name) << param.description;
    }
}

constexpr LoginMessage kOk = LoginMessage::None;
constexpr LoginMessage kInvalid = LoginMessage::InvalidPassword;

INSTANTIATE_TEST_SUITE_P(
    Cases, AccountsLogin,
    ::testing::Values(
        LoginCase{"guest in lower case, any password", Fixture::NoFile, "guest", "xyz", kOk, 2, ""},
        LoginCase{"guest without password", Fixture::WithAccounts, "GUEST", "", kOk, 2, ""},
        LoginCase{"ADMIN with 5830 and no file", Fixture::NoFile, "ADMIN", "5830", kOk, 0,
                  "Administrator"},
        LoginCase{"5830 refused once PW is set", Fixture::WithAccounts, "Admin", "5830", kInvalid,
                  0, ""},
        LoginCase{"PW ignores letter case", Fixture::WithAccounts, "admin", "SECRET", kOk, 0,
                  "Administrator"},
        LoginCase{"empty PW value means 5830", Fixture::EmptyPw, "Admin", "5830", kOk, 0,
                  "Administrator"},
        LoginCase{"empty PW value refuses an empty password", Fixture::EmptyPw, "Admin", "",
                  kInvalid, 0, ""},
        LoginCase{"service password", Fixture::NoFile, "Admin", kServicePassword, kOk, 1,
                  "Administrator"},
        LoginCase{"service password in capitals, PW set", Fixture::WithAccounts, "admin",
                  "QZ8419207", kOk, 1, "Administrator"},
        LoginCase{"the stored Base64 text is not the password", Fixture::NoFile, "Admin",
                  "cXo4NDE5MjA3", kInvalid, 0, ""},
        LoginCase{"admin without password", Fixture::NoFile, "Admin", "", kInvalid, 0, ""},
        LoginCase{"account, case-blind id and password", Fixture::WithAccounts, "Kim", "aBC123",
                  kOk, 3, "Kim Chul"},
        LoginCase{"account with non-ASCII id and password", Fixture::WithAccounts, "JÖRG",
                  "STRASSE", kInvalid, 0, ""},
        LoginCase{"account with non-ASCII letters in another case", Fixture::WithAccounts, "jörg",
                  "STRAßE", kOk, 3, "Jörg M"},
        LoginCase{"a later account with the same id", Fixture::WithAccounts, "kim", "OTHER", kOk, 3,
                  "Kim Two"},
        LoginCase{"account without password", Fixture::WithAccounts, "kim", "",
                  LoginMessage::InputPassword, 0, ""},
        LoginCase{"unknown id without password", Fixture::NoFile, "park", "",
                  LoginMessage::InputPassword, 0, ""},
        LoginCase{"empty id", Fixture::WithAccounts, "", "Abc123", LoginMessage::InputId, 0, ""},
        LoginCase{"empty id and password", Fixture::NoFile, "", "", LoginMessage::InputId, 0, ""},
        LoginCase{"unknown id", Fixture::WithAccounts, "park", "Abc123", kInvalid, 0, ""},
        LoginCase{"wrong account password", Fixture::WithAccounts, "kim", "abc12", kInvalid, 0, ""},
        LoginCase{"identifier with a blank is not the guest", Fixture::NoFile, " Guest", "x",
                  kInvalid, 0, ""}));

TEST(Accounts, ServicePassword) {
    EXPECT_TRUE(IsServicePassword(kServicePassword));
    EXPECT_TRUE(IsServicePassword("Qz8419207"));
    EXPECT_FALSE(IsServicePassword("qz841920"));
    EXPECT_FALSE(IsServicePassword("qz8419207 "));
    EXPECT_FALSE(IsServicePassword(""));
}

TEST(Accounts, MessageTexts) {
    EXPECT_EQ(LoginMessageText(LoginMessage::InputId).key, "INPUTID");
    EXPECT_EQ(LoginMessageText(LoginMessage::InputId).defaultText, "Please, Input ID");
    EXPECT_EQ(LoginMessageText(LoginMessage::InputPassword).key, "INPUTPASSWORD");
    EXPECT_EQ(LoginMessageText(LoginMessage::InputPassword).defaultText, "Please, Input Password");
    EXPECT_EQ(LoginMessageText(LoginMessage::InvalidPassword).key, "INVALIDPASSWORD");
    EXPECT_EQ(LoginMessageText(LoginMessage::InvalidPassword).defaultText, "Invalid Password");
}

TEST(Accounts, LoadReadsEntriesAndDefaults) {
    TempFolder temp;
    const AccountTable none = LoadAccounts(temp.Folder() + "missing.ini");
    EXPECT_EQ(none.adminPassword, "5830");
    EXPECT_TRUE(none.accounts.empty());
    EXPECT_EQ(LoginEntries(none), (std::vector<std::string>{"Guest", "Admin"}));
    EXPECT_EQ(LoadAccounts("").adminPassword, "5830");

    const AccountTable table = LoadFixture(Fixture::WithAccounts, temp);
    EXPECT_EQ(table.adminPassword, "Secret");
    ASSERT_EQ(table.accounts.size(), 3u);
    EXPECT_EQ(table.accounts[1].id, "Jörg");
    EXPECT_EQ(table.accounts[1].password, "Straße");
    EXPECT_EQ(table.accounts[1].name, "Jörg M");
    EXPECT_EQ(LoginEntries(table),
              (std::vector<std::string>{"Guest", "kim", "Jörg", "KIM", "Admin"}));

    const AccountTable emptyPw = LoadFixture(Fixture::EmptyPw, temp);
    EXPECT_EQ(emptyPw.adminPassword, "");
    EXPECT_EQ(emptyPw.EffectiveAdminPassword(), "5830");
}

struct CountCase {
    const char* text;
    std::vector<std::string> ids;
};

class AccountsCount : public ::testing::TestWithParam<CountCase> {};

// COUNT decides how many accounts there are, with missing entries empty, except that a COUNT
// beyond the highest numbered entry in the file adds nothing.
TEST_P(AccountsCount, FollowsCountWithinTheEntriesOfTheFile) {
    TempFolder temp;
    const std::string path = temp.Folder() + "Account.ini";
    TempFolder::Write(path, GetParam().text);
    std::vector<std::string> ids;
    for (const Account& account : LoadAccounts(path).accounts) {
        ids.push_back(account.id);
    }
    EXPECT_EQ(ids, GetParam().ids);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AccountsCount,
    ::testing::Values(CountCase{"[ACCOUNT]\nID1=a\nID2=b\n", {}},
                      CountCase{"[ACCOUNT]\nCOUNT=1\nID1=a\nID2=b\n", {"a"}},
                      CountCase{"[ACCOUNT]\nCOUNT=3\nID1=a\nNAME3=c\n", {"a", "", ""}},
                      CountCase{"[ACCOUNT]\nCOUNT=2000000000\nID1=a\nID2=b\n", {"a", "b"}},
                      CountCase{"[ACCOUNT]\nCOUNT=2\nid1=a\nId2=b\nID02=x\n", {"a", "b"}}));

TEST(Accounts, SaveWritesTheSectionInOrderAndKeepsOtherSections) {
    TempFolder temp;
    const std::string path = temp.Folder() + "Account.ini";
    TempFolder::Write(path,
                      "[ACCOUNT]\nPW=old\nCOUNT=3\nID1=x\nPW1=x\nNAME1=x\nID3=gone\n"
                      "[OTHER]\nKEEP=1\n");
    AccountTable table;
    table.adminPassword = "NewAdmin";
    table.accounts = {{"kim", "Abc123", "Kim Chul"}, {"lee", "pw", "Lee Young"}};
    ASSERT_TRUE(SaveAccounts(path, table));

    const ini::IniFile file = ini::IniFile::Load(path);
    EXPECT_EQ(file.Keys("ACCOUNT"), (std::vector<std::string>{"PW", "COUNT", "ID1", "PW1", "NAME1",
                                                              "ID2", "PW2", "NAME2"}));
    EXPECT_EQ(file.GetString("ACCOUNT", "PW", ""), "NewAdmin");
    EXPECT_EQ(file.GetString("ACCOUNT", "COUNT", ""), "2");
    EXPECT_EQ(file.GetString("ACCOUNT", "NAME2", ""), "Lee Young");
    EXPECT_EQ(file.GetString("OTHER", "KEEP", ""), "1");

    const AccountTable reloaded = LoadAccounts(path);
    EXPECT_EQ(LoginEntries(reloaded), (std::vector<std::string>{"Guest", "kim", "lee", "Admin"}));
    EXPECT_EQ(CheckLogin(reloaded, "LEE", "PW").userName, "Lee Young");
    EXPECT_EQ(CheckLogin(reloaded, "admin", "newadmin").level, kUserLevelAdministrator);
}

TEST(Accounts, SaveWithoutAccountsAndIntoANewFile) {
    TempFolder temp;
    const std::string path = temp.Folder() + "Account.ini";
    AccountTable table;
    table.adminPassword = "5830";
    ASSERT_TRUE(SaveAccounts(path, table));
    const ini::IniFile file = ini::IniFile::Load(path);
    EXPECT_EQ(file.Keys("ACCOUNT"), (std::vector<std::string>{"PW", "COUNT"}));
    EXPECT_EQ(file.GetString("ACCOUNT", "COUNT", ""), "0");
}

TEST(Accounts, SaveFailsWithoutAWritableFolder) {
    TempFolder temp;
    AccountTable table;
    EXPECT_FALSE(SaveAccounts(temp.Folder() + "missing/Account.ini", table));
    EXPECT_FALSE(SaveAccounts("", table));
}

}  // namespace
}  // namespace vantrel
