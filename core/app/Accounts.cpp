// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/app/Accounts.h"

#include <algorithm>
#include <charconv>

#include "core/app/TextCase.h"
#include "core/ini/IniFile.h"

namespace vantrel {
namespace {

constexpr std::string_view kSection = "ACCOUNT";
constexpr std::string_view kServicePasswordBase64 = "cXo4NDE5MjA3";

std::string Base64Encode(std::string_view bytes) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const unsigned v = static_cast<unsigned char>(bytes[i]) << 16 |
                           static_cast<unsigned char>(bytes[i + 1]) << 8 |
                           static_cast<unsigned char>(bytes[i + 2]);
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += kAlphabet[v & 63];
    }
    const std::size_t rest = bytes.size() - i;
    if (rest > 0) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (rest == 2) {
            v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        }
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

// The number n of a key "IDn", "PWn" or "NAMEn" (letter case ignored); 0 for other keys.
int AccountNumberOfKey(std::string_view key) {
    for (std::string_view prefix : {"ID", "PW", "NAME"}) {
        if (key.size() <= prefix.size() || !EqualsNoCase(key.substr(0, prefix.size()), prefix)) {
            continue;
        }
        const std::string_view digits = key.substr(prefix.size());
        if (digits.front() == '0') {
            return 0;
        }
        int number = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), number);
        if (error == std::errc() && end == digits.data() + digits.size()) {
            return number;
        }
    }
    return 0;
}

int HighestAccountNumber(const ini::IniFile& file) {
    int highest = 0;
    for (const std::string& key : file.Keys(kSection)) {
        highest = std::max(highest, AccountNumberOfKey(key));
    }
    return highest;
}

std::string Numbered(std::string_view prefix, std::size_t number) {
    return std::string(prefix) + std::to_string(number);
}

LoginResult Refused(LoginMessage message) {
    LoginResult result;
    result.message = message;
    result.focusPassword = message == LoginMessage::InvalidPassword;
    return result;
}

LoginResult Accepted(int level, std::string_view name) {
    LoginResult result;
    result.accepted = true;
    result.level = level;
    result.userName = std::string(name);
    return result;
}

}  // namespace

std::string AccountTable::EffectiveAdminPassword() const {
    return adminPassword.empty() ? std::string(kDefaultAdminPassword) : adminPassword;
}

AccountTable LoadAccounts(const std::string& accountIni) {
    AccountTable table;
    if (accountIni.empty()) {
        return table;
    }
    const ini::IniFile file = ini::IniFile::Load(accountIni);
    table.adminPassword = file.GetString(kSection, "PW", kDefaultAdminPassword);
    const int count = std::min(file.GetInt(kSection, "COUNT", 0), HighestAccountNumber(file));
    for (int i = 1; i <= count; ++i) {
        const auto number = static_cast<std::size_t>(i);
        table.accounts.push_back({file.GetString(kSection, Numbered("ID", number), ""),
                                  file.GetString(kSection, Numbered("PW", number), ""),
                                  file.GetString(kSection, Numbered("NAME", number), "")});
    }
    return table;
}

bool SaveAccounts(const std::string& accountIni, const AccountTable& table) {
    if (accountIni.empty()) {
        return false;
    }
    ini::IniFile file = ini::IniFile::Load(accountIni);
    file.ClearSection(kSection);
    file.Set(kSection, "PW", table.adminPassword);
    file.Set(kSection, "COUNT", std::to_string(table.accounts.size()));
    for (std::size_t i = 0; i < table.accounts.size(); ++i) {
        const Account& account = table.accounts[i];
        file.Set(kSection, Numbered("ID", i + 1), account.id);
        file.Set(kSection, Numbered("PW", i + 1), account.password);
        file.Set(kSection, Numbered("NAME", i + 1), account.name);
    }
    return file.Save(accountIni);
}

std::vector<std::string> LoginEntries(const AccountTable& table) {
    std::vector<std::string> entries;
    entries.reserve(table.accounts.size() + 2);
    entries.emplace_back(kGuestId);
    for (const Account& account : table.accounts) {
        entries.push_back(account.id);
    }
    entries.emplace_back(kAdminId);
    return entries;
}

LoginResult CheckLogin(const AccountTable& table, std::string_view id, std::string_view password) {
    if (id.empty()) {
        return Refused(LoginMessage::InputId);
    }
    const bool isGuest = EqualsNoCase(id, kGuestId);
    const bool isAdmin = EqualsNoCase(id, kAdminId);
    if (password.empty() && !isGuest && !isAdmin) {
        return Refused(LoginMessage::InputPassword);
    }
    if (isGuest) {
        return Accepted(kUserLevelGuest, "");
    }
    if (isAdmin) {
        if (IsServicePassword(password)) {
            return Accepted(kUserLevelService, kAdministratorName);
        }
        if (EqualsNoCase(password, table.EffectiveAdminPassword())) {
            return Accepted(kUserLevelAdministrator, kAdministratorName);
        }
        return Refused(LoginMessage::InvalidPassword);
    }
    for (const Account& account : table.accounts) {
        if (EqualsNoCase(id, account.id) && EqualsNoCase(password, account.password)) {
            return Accepted(kUserLevelAccount, account.name);
        }
    }
    return Refused(LoginMessage::InvalidPassword);
}

bool IsServicePassword(std::string_view password) {
    return Base64Encode(FoldCase(password)) == kServicePasswordBase64;
}

MessageText LoginMessageText(LoginMessage message) {
    switch (message) {
        case LoginMessage::InputId:
            return {"INPUTID", "Please, Input ID"};
        case LoginMessage::InputPassword:
            return {"INPUTPASSWORD", "Please, Input Password"};
        case LoginMessage::InvalidPassword:
            return {"INVALIDPASSWORD", "Invalid Password"};
        case LoginMessage::None:
            break;
    }
    return {"", ""};
}

}  // namespace vantrel
