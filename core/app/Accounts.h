// SPDX-License-Identifier: GPL-3.0-or-later
// Operator accounts and the login decision. Account.ini holds one section [ACCOUNT]: PW (the
// administrator password), COUNT and for each account IDi, PWi and NAMEi. The login decides
// the user level (administrator, service administrator, guest or account user) and the user
// name stored with saved records; the dialogs only show what these functions decide.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

inline constexpr int kUserLevelAdministrator = 0;
inline constexpr int kUserLevelService = 1;
inline constexpr int kUserLevelGuest = 2;
inline constexpr int kUserLevelAccount = 3;

// Fixed entries of the login list and the administrator's stored name.
inline constexpr std::string_view kGuestId = "Guest";
inline constexpr std::string_view kAdminId = "Admin";
inline constexpr std::string_view kAdministratorName = "Administrator";
// The administrator password while Account.ini sets none.
inline constexpr std::string_view kDefaultAdminPassword = "5830";

struct Account {
    std::string id;
    std::string password;
    std::string name;
};

struct AccountTable {
    // [ACCOUNT] PW as read: "5830" when the key is missing, empty when its value is empty.
    std::string adminPassword{kDefaultAdminPassword};
    // ID1..IDn, PW1..PWn, NAME1..NAMEn for n = COUNT (missing entries are empty).
    std::vector<Account> accounts;

    // The password the administrator logs in with: PW, or "5830" when PW is empty.
    std::string EffectiveAdminPassword() const;
};

// Reads Account.ini; a missing file (or an empty path) gives no accounts and "5830". COUNT is
// not trusted beyond the highest account number that has an entry in the file, so a damaged
// COUNT cannot make the login list endless.
AccountTable LoadAccounts(const std::string& accountIni);
// Empties [ACCOUNT] and writes PW, COUNT, then ID1, PW1, NAME1, ID2, ...; other sections of
// the file stay. False when the file could not be written (it is then unchanged).
bool SaveAccounts(const std::string& accountIni, const AccountTable& table);

// The login list in its order: "Guest", ID1..IDn, "Admin".
std::vector<std::string> LoginEntries(const AccountTable& table);

// Why a login attempt was refused; each has a text in [MESSAGE] of the language files.
enum class LoginMessage { None, InputId, InputPassword, InvalidPassword };

struct LoginResult {
    bool accepted = false;
    int level = kUserLevelGuest;
    std::string userName;
    LoginMessage message = LoginMessage::None;
    // The password edit takes the focus with all its text selected after the message.
    bool focusPassword = false;
};

// The login decision for an identifier and a password as typed. Identifiers and passwords
// match without regard to letter case (EqualsNoCase); "Guest" needs no password.
LoginResult CheckLogin(const AccountTable& table, std::string_view id, std::string_view password);

// True when the password is the built-in service password: its lower-case form, as UTF-8,
// encoded in standard Base64 with padding, equals the stored Base64 text.
bool IsServicePassword(std::string_view password);

// The language-file key ([MESSAGE]) and built-in English text of a refusal.
struct MessageText {
    std::string_view key;
    std::string_view defaultText;
};
MessageText LoginMessageText(LoginMessage message);

}  // namespace vantrel
