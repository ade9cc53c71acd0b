// SPDX-License-Identifier: GPL-3.0-or-later
// The shipped language files, as the built program finds them beside itself: the English file
// holds exactly the key catalogue with the built-in English texts, the Korean (UTF-16LE with
// BOM and CRLF, as files made for the Windows program are) and Japanese files translate every
// key, and their Button sections are keyed by their own tool-button captions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "core/ini/IniFile.h"
#include "core/lang/MgrLanguage.h"

namespace vantrel {
namespace {

const std::string kBin = std::string(VANTREL_BIN_DIR) + "/";

struct CatalogueEntry {
    const char* section;
    const char* key;
    const char* defaultText;
};

// Every lookup the program makes, with the default its call site passes. Keys looked up with
// two defaults appear twice; the file carries one of them.
const CatalogueEntry kCatalogue[] = {
    {"GUI", "12MINCHART", "12 minutes chart"},
    {"GUI", "24HOURSCHART", "24 hours chart"},
    {"GUI", "4MINCHART", "4 minutes chart"},
    {"GUI", "6MINCHART", "6 minutes chart"},
    {"GUI", "8HOURSCHART", "8 hours chart"},
    {"GUI", "ACCOUNT", "Account"},
    {"GUI", "ADD", "Add"},
    {"GUI", "ADJTIMEINFO", "Adjust Time Information"},
    {"GUI", "ADJTIMEINFO", "Adjust time information"},
    {"GUI", "ADMINISTRATOR", "Administrator"},
    {"GUI", "AFTERADJ", "After time adjustment"},
    {"GUI", "ALL", "All"},
    {"GUI", "APPLY", "Apply"},
    {"GUI", "BACKUPFOLDER", "Backup Folder"},
    {"GUI", "BEFOREADJ", "Before time adjustment"},
    {"GUI", "CANCEL", "Cancel"},
    {"GUI", "CLOSE", "Close"},
    {"GUI", "CUMULATIVEDISTANCE", "Cumulative Distance"},
    {"GUI", "DELETE", "Delete"},
    {"GUI", "DELETESELECTEDDATA", "Delete Selected Data"},
    {"GUI", "DEMO", "Demo"},
    {"GUI", "DISKDRIVE", "Drive"},
    {"GUI", "DISPLAY12", "Display 12 Minutes"},
    {"GUI", "DISPLAY24", "Display 24 Hours"},
    {"GUI", "DISPLAY4", "Display 4 Minutes"},
    {"GUI", "DISPLAY6", "Display 6 Minutes"},
    {"GUI", "DISPLAY8", "Display 8 Hours"},
    {"GUI", "DISPLAYGRAPH", "Display Graph"},
    {"GUI", "DISPLAYLIST", "Display List"},
    {"GUI", "DISTANCE", "Distance"},
    {"GUI", "DRID", "DR ID"},
    {"GUI", "DRIVERID", "Driver ID"},
    {"GUI", "DRIVERNAME", "Driver Name"},
    {"GUI", "DRIVINGAREA", "Driving Area"},
    {"GUI", "DRIVINGDATE", "Driving Date"},
    {"GUI", "DRIVINGDISTANCE", "Driving Distance"},
    {"GUI", "DRIVINGTIME", "Driving Time"},
    {"GUI", "EMPTY", "Empty"},
    {"GUI", "ENG", "English"},
    {"GUI", "EXPORTCSV", "Export to CSV"},
    {"GUI", "FILESYSTEM", "File System : FAT32"},
    {"GUI", "ID", "ID"},
    {"GUI", "INITSDCARD", "Initialize SD Card"},
    {"GUI", "JPN", "Japanese"},
    {"GUI", "KOR", "Korean"},
    {"GUI", "LANGUAGE", "Language"},
    {"GUI", "LOGIN", "Login"},
    {"GUI", "MAXCONTDRIVINGTIME", "Max Cont Driving Time"},
    {"GUI", "MAXCONTDRIVINGTIME", "Max Continue Driving Time"},
    {"GUI", "MAXSPEED", "Max Speed"},
    {"GUI", "MAXSPEEDTIME", "Max Speed Time"},
    {"GUI", "MONTH", "Month"},
    {"GUI", "MinSPEED", "Min Speed"},
    {"GUI", "NO", "No"},
    {"GUI", "NO", "No."},
    {"GUI", "OK", "OK"},
    {"GUI", "PASSWORD", "Password"},
    {"GUI", "PRINT", "Print"},
    {"GUI", "READSDCARD", "Read SD Card"},
    {"GUI", "READTYPE", "Read Type"},
    {"GUI", "READUSB", "Read Device"},
    {"GUI", "READUSB", "Read USB"},
    {"GUI", "RECORDSTARTTIME", "Record Start Time"},
    {"GUI", "RECORDSTOPTIME", "Record Stop Time"},
    {"GUI", "SAVE", "Save"},
    {"GUI", "SAVEDATETIME", "Save Date/Time"},
    {"GUI", "SAVEPDF", "Save as PDF"},
    {"GUI", "SAVETIME", "Save Time"},
    {"GUI", "SAVEUSERNAME", "Save User Name"},
    {"GUI", "SDCARD", "SD"},
    {"GUI", "SELECTFOLDER", "Select Folder"},
    {"GUI", "SELECTSDDRIVE", "Select SD Card Drive"},
    {"GUI", "SETTING", "Setting"},
    {"GUI", "SPEED", "Speed"},
    {"GUI", "START", "Start"},
    {"GUI", "USB", "USB"},
    {"GUI", "USERNAME", "User Name"},
    {"GUI", "VEHICLENO", "Vehicle No"},
    {"GUI", "VIEWERNAME", "Korvu Vantrel"},
    {"GUI", "ANALYSIS", "Analysis"},
    {"GUI", "ANALYSISNOTE",
     "Lane changes, overtaking, turns and U-turns need the vehicle's heading; the recorder's "
     "samples hold distance only, so they are not reported."},
    {"GUI", "ANALYSISTITLE", "Driving Analysis"},
    {"GUI", "ANEND", "End"},
    {"GUI", "ANKIND", "Event or rule"},
    {"GUI", "ANNODAY", "The record has no day to analyse."},
    {"GUI", "ANSTART", "Start"},
    {"GUI", "ANSUMMARY", "%1 km, driving %2, %3 events (%4 per 100 km), %5 rule violations"},
    {"GUI", "ANVALUE", "Peak or time over"},
    {"GUI", "CLASSBUS", "Bus"},
    {"GUI", "CLASSCAR", "Car"},
    {"GUI", "CLASSTAXI", "Taxi"},
    {"GUI", "CLASSTRUCK", "Truck"},
    {"GUI", "EVLONGSPEEDING", "Long speeding"},
    {"GUI", "EVSPEEDING", "Speeding"},
    {"GUI", "EVSUDDENACCEL", "Sudden acceleration"},
    {"GUI", "EVSUDDENDECEL", "Sudden deceleration"},
    {"GUI", "EVSUDDENSTART", "Sudden start"},
    {"GUI", "EVSUDDENSTOP", "Sudden stop"},
    {"GUI", "FLEETSUMMARY", "Fleet Summary"},
    {"GUI", "RULE", "Driving rule"},
    {"GUI", "RULEDAILY", "Daily driving limit"},
    {"GUI", "SUMBYDAY", "Day"},
    {"GUI", "SUMBYDRIVER", "Driver"},
    {"GUI", "SUMBYMONTH", "Month"},
    {"GUI", "SUMBYRECORD", "Record"},
    {"GUI", "SUMBYVEHICLE", "Vehicle"},
    {"GUI", "SUMDAYS", "Days"},
    {"GUI", "SUMDISTANCE", "Distance (km)"},
    {"GUI", "SUMDRIVING", "Driving"},
    {"GUI", "SUMEVENTS", "Events"},
    {"GUI", "SUMGROUPBY", "Group by"},
    {"GUI", "SUMOVER", "Time over"},
    {"GUI", "SUMPER100", "Events per 100 km"},
    {"GUI", "SUMRECORDS", "Records"},
    {"GUI", "SUMSAVED", "The summary was saved."},
    {"GUI", "SUMTOTAL",
     "All: %1 records, %2 days, %3 km, driving %4, %5 events (%6 per 100 km), %7 rule violations"},
    {"GUI", "SUMUNREADABLE", "%1 day files could not be read."},
    {"GUI", "SUMVIOLATIONS", "Rule violations"},
    {"GUI", "VEHICLECLASS", "Vehicle class"},
    {"MESSAGE", "CANNOTUSEDID", "\"Admin\" and \"Guest\" can not used as ID"},
    {"MESSAGE", "EMMCFORMATCOMPLETE", "Has been complete"},
    {"MESSAGE", "EMMCFORMATFAIL", "Failed."},
    {"MESSAGE", "EXPORTCANCEL", "The export was canceled"},
    {"MESSAGE", "EXPORTFAIL", "The export failed"},
    {"MESSAGE", "EXPORTOK", "The export was completed"},
    {"MESSAGE", "FORMATCANCEL", "Format canceled"},
    {"MESSAGE", "FORMATFAIL", "Format error"},
    {"MESSAGE", "INITSDCARDOK", "SD Card Initialized"},
    {"MESSAGE", "INPUTID", "Please, Input ID"},
    {"MESSAGE", "INPUTPASSWORD", "Please, Input Password"},
    {"MESSAGE", "INVALIDPASSWORD", "Invalid Password"},
    {"MESSAGE", "NOSELECTEDDATA", "There is no selected data"},
    {"MESSAGE", "NOTENTERED", "ID, Password or Name has not entered"},
    {"MESSAGE", "NOTSDDRIVE", "Invalid SD card drive"},
    {"MESSAGE", "NOTSUPORTSD", "Invalid SD card size"},
    {"MESSAGE", "PLEASEWAIT", "Please wait a moment"},
    {"MESSAGE", "PRINTFAIL", "Print failed"},
    {"MESSAGE", "PRINTOK", "Print completed"},
    {"MESSAGE", "SDREADINGCOMPLETE", "SD Card reading has been complete"},
    {"MESSAGE", "USBREADFAIL", "Device read failed"},
    {"MESSAGE", "USBREADINGCOMPLETE", "Device reading has been complete"},
    {"MESSAGE", "WANTDELETE", "Do you want to delete selected data?"},
    {"MESSAGE", "WANTREADUSB", "Do you want to Read from USB Device?"},
    {"MESSAGE", "WANTSAVE", "Do you want to save?\nYou can not change after save"},
    {"MESSAGE", "WARNINGFORMAT",
     "WARNING: Formatting erases all data in the eMMC.\n\n               Click \xE3\x80\x8CYes"
     "\xE3\x80\x8D to format the eMMC, or\n              \xE3\x80\x8CNo\xE3\x80\x8D to cancel"},
    {"MESSAGE", "ACCOUNTSAVEFAIL", "The accounts could not be saved"},
    {"MESSAGE", "DTCCOPYFAIL",
     "These files could not be copied into the backup folder and were not imported:"},
    {"MESSAGE", "DTCFILESSKIPPED", "These files could not be read and were not imported:"},
    {"MESSAGE", "DTCREADFAIL", "The recorder files could not be read"},
    {"MESSAGE", "IMPORTFOLDERFAIL", "The import folder could not be created"},
    {"MESSAGE", "NOBACKUPFOLDER", "There is no backup folder to import into"},
    {"MESSAGE", "RECORDWRITEFAIL", "Some record files could not be written"},
    {"MESSAGE", "SAVEAREAFAIL", "The driving area could not be saved"},
    {"MESSAGE", "SAVESETTINGFAIL", "The settings could not be saved"},
    {"MESSAGE", "SDFILESKEPT",
     "These files were kept on the SD card because the backup folder holds no identical copy of "
     "them:"},
};

const char* const kCatalogueSections[] = {"GUI", "MESSAGE"};

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(LanguageFiles, EnglishFileHoldsTheCatalogueWithTheBuiltInTexts) {
    CMgrLanguage table({kBin});
    table.SetLanguage(0);
    ASSERT_EQ(table.GetPath(), kBin + "lang_en.ini");
    std::set<std::string> catalogueKeys;
    for (const CatalogueEntry& entry : kCatalogue) {
        catalogueKeys.insert(std::string(entry.section) + "/" + Upper(entry.key));
        const std::string text = table.GetText(entry.section, entry.key, "<missing>");
        // Keys with two defaults carry one of them, so compare against either.
        bool matches = false;
        for (const CatalogueEntry& other : kCatalogue) {
            matches |= Upper(other.key) == Upper(entry.key) && text == other.defaultText;
        }
        EXPECT_TRUE(matches) << entry.key << " reads '" << text << "'";
    }
    const ini::IniFile en = ini::IniFile::Load(kBin + "lang_en.ini");
    std::set<std::string> fileKeys;
    for (const char* section : kCatalogueSections) {
        for (const std::string& key : en.Keys(section)) {
            fileKeys.insert(std::string(section) + "/" + Upper(key));
        }
    }
    EXPECT_EQ(fileKeys, catalogueKeys);
}

// Each Button key of a file is the file's own GUI text of one tool button.
std::vector<std::string> ButtonGuiKeys(const ini::IniFile& file) {
    std::vector<std::string> guiKeys;
    for (const std::string& caption : file.Keys("Button")) {
        for (const std::string& guiKey : file.Keys("GUI")) {
            if (file.Find("GUI", guiKey) == caption) {
                guiKeys.push_back(Upper(guiKey));
                break;
            }
        }
        EXPECT_EQ(file.Find("Button", caption), caption) << "Button key " << caption;
    }
    return guiKeys;
}

class TranslatedFile : public ::testing::TestWithParam<const char*> {};

TEST_P(TranslatedFile, TranslatesEveryKeyOfTheEnglishFile) {
    const ini::IniFile en = ini::IniFile::Load(kBin + "lang_en.ini");
    const ini::IniFile file = ini::IniFile::Load(kBin + GetParam());
    ASSERT_TRUE(file.exists());
    for (const char* section : kCatalogueSections) {
        ASSERT_FALSE(en.Keys(section).empty());
        for (const std::string& key : en.Keys(section)) {
            const auto text = file.Find(section, key);
            EXPECT_TRUE(text && !text->empty()) << section << "/" << key;
        }
        EXPECT_EQ(file.Keys(section).size(), en.Keys(section).size()) << section;
    }
    const std::vector<std::string> enButtons = ButtonGuiKeys(en);
    EXPECT_EQ(enButtons.size(), en.Keys("Button").size());
    EXPECT_EQ(ButtonGuiKeys(file), enButtons);
}

INSTANTIATE_TEST_SUITE_P(LanguageFiles, TranslatedFile,
                         ::testing::Values("lang_kr.ini", "lang_jp.ini"));

TEST(LanguageFiles, KoreanFileIsUtf16WithCrLfAndReadsAsKorean) {
    const std::string bytes = ReadBytes(kBin + "lang_kr.ini");
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    EXPECT_NE(bytes.find(std::string("\r\0\n\0", 4)), std::string::npos);

    CMgrLanguage table({kBin});
    table.SetLanguage(1);
    EXPECT_EQ(table.GetPath(), kBin + "lang_kr.ini");
    EXPECT_EQ(table.GetText("GUI", "CANCEL", "Cancel"), "\xEC\xB7\xA8\xEC\x86\x8C");  // 취소
    EXPECT_EQ(table.GetText("GUI", "MinSPEED", "Min Speed"),
              "\xEC\xB5\x9C\xEC\xA0\x80 \xEC\x86\x8D\xEB\x8F\x84");  // 최저 속도
    EXPECT_EQ(table.GetText("MESSAGE", "CANNOTUSEDID", "").substr(0, 7), "\"Admin\"");
    const std::string wantSave = table.GetText("MESSAGE", "WANTSAVE", "");
    EXPECT_EQ(std::count(wantSave.begin(), wantSave.end(), '\n'), 1);
    const std::string readSd = table.GetText("GUI", "READSDCARD", "Read SD Card");
    EXPECT_EQ(table.GetText("Button", readSd, readSd), readSd);
}

TEST(LanguageFiles, JapaneseFileReadsAsJapanese) {
    CMgrLanguage table({kBin});
    table.SetLanguage(2);
    EXPECT_EQ(table.GetPath(), kBin + "lang_jp.ini");
    EXPECT_EQ(table.GetText("GUI", "CANCEL", "Cancel"),
              "\xE3\x82\xAD\xE3\x83\xA3\xE3\x83\xB3\xE3\x82\xBB\xE3\x83\xAB");  // キャンセル
    const std::string warning = table.GetText("MESSAGE", "WARNINGFORMAT", "");
    EXPECT_EQ(std::count(warning.begin(), warning.end(), '\n'), 3);
}

}  // namespace
}  // namespace vantrel
