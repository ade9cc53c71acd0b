// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/DlgSetting.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <string>
#include <utility>

#include "core/util/FolderUtil.h"
#include "ui/app/LangText.h"
#include "ui/app/VantrelApp.h"
#include "ui/controls/PathDialog.h"
#include "ui/dialogs/DlgExport.h"

namespace {

CDlgSetting::FormatSdHandler& DefaultFormatSdHandler() {
    static CDlgSetting::FormatSdHandler handler;
    return handler;
}

// The dialog's layout in dialog units of an 8-point dialog font, turned into pixels.
QRect Units(int x, int y, int w, int h) {
    constexpr double kX = 1.5;
    constexpr double kY = 1.625;
    return {static_cast<int>(x * kX), static_cast<int>(y * kY), static_cast<int>(w * kX),
            static_cast<int>(h * kY)};
}

std::string WithoutTrailingSeparator(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

struct LanguageEntry {
    const char* key;
    const char* text;
    int number;
};
constexpr LanguageEntry kLanguages[] = {
    {"ENG", "English", 0}, {"KOR", "Korean", 1}, {"JPN", "Japanese", 2}};

}  // namespace

void CDlgSetting::SetDefaultFormatSdHandler(FormatSdHandler handler) {
    DefaultFormatSdHandler() = std::move(handler);
}

CDlgSetting::CDlgSetting(QWidget* parent, const vantrel::DriveLayer& layer)
    : QDialog(parent), m_layer(layer), m_formatSd(DefaultFormatSdHandler()) {
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setFixedSize(Units(0, 0, 309, 65).size());
    setWindowTitle(LangText("GUI", "SETTING", "Setting"));

    m_pBackupLabel = new QLabel(LangText("GUI", "BACKUPFOLDER", "Backup Folder"), this);
    m_pBackupLabel->setGeometry(Units(8, 10, 75, 8));
    m_pBackup = new QLineEdit(this);
    m_pBackup->setReadOnly(true);
    m_pBackup->setGeometry(Units(87, 7, 188, 14));
    m_pBrowse = new QPushButton(QStringLiteral("..."), this);
    m_pBrowse->setGeometry(Units(280, 6, 22, 15));
    m_pLanguageLabel = new QLabel(LangText("GUI", "LANGUAGE", "Language"), this);
    m_pLanguageLabel->setGeometry(Units(8, 28, 75, 8));
    m_pLanguage = new QComboBox(this);
    m_pLanguage->setGeometry(Units(87, 26, 74, 12));
    m_pInitSd = new QPushButton(LangText("GUI", "INITSDCARD", "Initialize SD Card"), this);
    m_pInitSd->setGeometry(Units(7, 44, 80, 14));
    m_pOk = new QPushButton(LangText("GUI", "OK", "OK"), this);
    m_pOk->setGeometry(Units(198, 44, 50, 14));
    m_pOk->setDefault(true);
    m_pCancel = new QPushButton(LangText("GUI", "CANCEL", "Cancel"), this);
    m_pCancel->setGeometry(Units(252, 44, 50, 14));

    connect(m_pBrowse, &QPushButton::clicked, this, &CDlgSetting::OnBrowse);
    connect(m_pInitSd, &QPushButton::clicked, this, &CDlgSetting::OnInitSdCard);
    connect(m_pOk, &QPushButton::clicked, this, &CDlgSetting::accept);
    connect(m_pCancel, &QPushButton::clicked, this, &QDialog::reject);

    int language = 0;
    std::string folder;
    if (const CVantrelApp* app = GetVantrelApp()) {
        language = app->m_settings.m_nLanguage;
        folder = app->m_settings.m_strBackupFolder;
        // Shown replaced only: the application keeps its folder unless OK takes this one.
        if (vantrel::IsFolderUnusable(folder, false)) {
            folder = app->m_settings.Environment().DefaultBackupFolder();
            if (!folder.empty()) {
                vantrel::CreateFolderPath(folder);
            }
        }
    }
    m_pBackup->setText(QString::fromStdString(folder));

    for (const LanguageEntry& entry : kLanguages) {
        m_pLanguage->addItem(LangText("GUI", entry.key, entry.text), entry.number);
    }
    // A number set by hand in App.ini selects no entry.
    m_pLanguage->setCurrentIndex(m_pLanguage->findData(language));
}

void CDlgSetting::OnBrowse() {
    m_strBrowseStart = m_pBackup->text();
    const QString folder = BrowseForFolder(this, m_strBrowseStart);
    if (!folder.isEmpty()) {
        TakeChosenFolder(folder);
    }
}

void CDlgSetting::TakeChosenFolder(const QString& folder) {
    const QString text = FolderWithSeparator(folder);
    if (!text.isEmpty()) {
        m_pBackup->setText(text);
    }
}

CDlgSetting::SdCheck CDlgSetting::CheckSdCard(vantrel::DriveType type, bool isMountPoint,
                                              std::optional<std::uint64_t> totalBytes) {
    if (type != vantrel::DriveType::Removable || !isMountPoint) {
        return SdCheck::NotSdDrive;
    }
    if (totalBytes && *totalBytes / 1'048'576U < kMinSdMiB) {
        return SdCheck::TooSmall;
    }
    return SdCheck::Ok;
}

CDlgSetting::SdCheck CDlgSetting::CheckSdCard(const QString& path,
                                              const vantrel::DriveLayer& layer) {
    const std::string folder = WithoutTrailingSeparator(path.toStdString());
    if (folder.empty()) {
        return SdCheck::NotSdDrive;
    }
    const vantrel::DriveInfo drive = layer.GetDrive(folder);
    const bool isMountPoint = !drive.mount.mountPoint.empty() &&
                              WithoutTrailingSeparator(drive.mount.mountPoint) == folder;
    std::optional<std::uint64_t> totalBytes;
    if (drive.type == vantrel::DriveType::Removable && isMountPoint) {
        if (const std::optional<vantrel::VolumeInfo> volume = layer.GetVolumeInformation(drive)) {
            totalBytes = volume->totalBytes;
        }
    }
    return CheckSdCard(drive.type, isMountPoint, totalBytes);
}

void CDlgSetting::OnInitSdCard() {
    CPathDialog picker(LangText("GUI", "SELECTSDDRIVE", "Select SD Card Drive"), this, true,
                       m_layer);
    if (picker.DoModal() != 1) {
        return;
    }
    const QString mountPoint = picker.GetPathName();
    switch (CheckSdCard(mountPoint, m_layer)) {
        case SdCheck::NotSdDrive:
            ShowMessage(LangText("MESSAGE", "NOTSDDRIVE", "Invalid SD card drive"));
            return;
        case SdCheck::TooSmall:
            ShowMessage(LangText("MESSAGE", "NOTSUPORTSD", "Invalid SD card size"));
            return;
        case SdCheck::Ok:
            break;
    }
    if (m_formatSd) {
        m_formatSd(this, mountPoint);
    }
}

void CDlgSetting::ReportSdInitialized(QWidget* owner) {
    QMessageBox box(QMessageBox::NoIcon, LangText("GUI", "SETTING", "Setting"),
                    LangText("MESSAGE", "INITSDCARDOK", "SD Card Initialized"), QMessageBox::Ok,
                    owner);
    box.exec();
}

void CDlgSetting::ShowMessage(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, LangText("GUI", "SETTING", "Setting"), text,
                    QMessageBox::Ok, this);
    box.exec();
}

void CDlgSetting::accept() {
    if (CVantrelApp* app = GetVantrelApp()) {
        vantrel::AppSettings& settings = app->m_settings;
        const int before = settings.m_nLanguage;
        // No entry selected stores -1, which reads the English file.
        const int index = m_pLanguage->currentIndex();
        settings.m_nLanguage = index < 0 ? -1 : m_pLanguage->itemData(index).toInt();
        app->m_language.SetLanguage(settings.m_nLanguage);
        settings.m_strBackupFolder = m_pBackup->text().toStdString();
        m_bLanguageChanged = settings.m_nLanguage != before;
        // The choice holds for this run either way (and shut-down tries to save it again),
        // but the operator learns that it did not reach App.ini.
        if (!app->SaveSettings()) {
            ShowMessage(LangText("MESSAGE", "SAVESETTINGFAIL", "The settings could not be saved"));
        }
    }
    QDialog::accept();
}
