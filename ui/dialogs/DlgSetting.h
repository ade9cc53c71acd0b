// SPDX-License-Identifier: GPL-3.0-or-later
// CDlgSetting: the backup folder, the interface language, and "Initialize SD Card". The dialog
// keeps nothing of its own: it reads the application object when it opens and writes it, and
// App.ini, on OK; Cancel and Escape leave both as they were.
//
// A backup folder that cannot be used when the dialog opens (a card reader without its card,
// a folder removed) is shown replaced by the default below the documents folder; the
// application's folder changes only on OK, so a Cancel keeps the operator's folder.
//
// "Initialize SD Card" picks a card's mount point, checks that it is a removable drive of at
// least 3000 MiB and hands it to the format handler, which runs the initialisation dialog
// (and calls ReportSdInitialized when that ends with OK). It acts at once; Cancel does not
// undo it.
#pragma once

#include <QDialog>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

#include "core/util/DriveLayer.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class CDlgSetting : public QDialog {
    Q_OBJECT

public:
    using FormatSdHandler = std::function<void(QWidget*, const QString& mountPoint)>;

    // Smallest card the recorder takes, in MiB.
    static constexpr std::uint64_t kMinSdMiB = 3000;

    enum class SdCheck { Ok, NotSdDrive, TooSmall };

    // The layer answers the drive questions of the SD card command (tests pass a fixture
    // layer); it must outlive the dialog.
    explicit CDlgSetting(QWidget* parent = nullptr,
                         const vantrel::DriveLayer& layer = vantrel::DriveLayer::System());

    // The handler of the dialogs made from now on (the frame sets it once); the instance
    // setter replaces it for this dialog. Without a handler a card that passes the checks
    // gets nothing more.
    static void SetDefaultFormatSdHandler(FormatSdHandler handler);
    void SetFormatSdHandler(FormatSdHandler handler) { m_formatSd = std::move(handler); }
    // "SD Card Initialized" under the caption "Setting", for the handler to show when its
    // initialisation ended with OK.
    static void ReportSdInitialized(QWidget* owner);

    // The drive rules of a chosen card: a removable drive's mount point, and, when the size
    // can be asked, at least 3000 MiB (a size that cannot be asked lets the card through).
    static SdCheck CheckSdCard(vantrel::DriveType type, bool isMountPoint,
                               std::optional<std::uint64_t> totalBytes);
    static SdCheck CheckSdCard(const QString& path, const vantrel::DriveLayer& layer);

    // Button 1041: the folder picker; a chosen folder is shown, nothing else changes.
    void OnBrowse();
    void TakeChosenFolder(const QString& folder);
    // Button 1046.
    void OnInitSdCard();
    // Button 1 (OK): stores the language and the backup folder, writes App.ini and closes;
    // an App.ini that cannot be written is reported first.
    void accept() override;

    // After OK: whether the language number changed (the frame then rebuilds the list and
    // repaints in the new language).
    bool LanguageChanged() const { return m_bLanguageChanged; }

    QLabel* BackupLabel() const { return m_pBackupLabel; }
    QLineEdit* BackupLine() const { return m_pBackup; }
    QPushButton* BrowseButton() const { return m_pBrowse; }
    QLabel* LanguageLabel() const { return m_pLanguageLabel; }
    QComboBox* LanguageBox() const { return m_pLanguage; }
    QPushButton* InitSdButton() const { return m_pInitSd; }
    QPushButton* OkButton() const { return m_pOk; }
    QPushButton* CancelButton() const { return m_pCancel; }

private:
    void ShowMessage(const QString& text);

    const vantrel::DriveLayer& m_layer;
    FormatSdHandler m_formatSd;
    QString m_strBrowseStart;
    bool m_bLanguageChanged = false;

    QLabel* m_pBackupLabel = nullptr;    // 1039
    QLineEdit* m_pBackup = nullptr;      // 1037
    QPushButton* m_pBrowse = nullptr;    // 1041
    QLabel* m_pLanguageLabel = nullptr;  // 1040
    QComboBox* m_pLanguage = nullptr;    // 1036
    QPushButton* m_pInitSd = nullptr;    // 1046
    QPushButton* m_pOk = nullptr;        // 1
    QPushButton* m_pCancel = nullptr;    // 2
};
