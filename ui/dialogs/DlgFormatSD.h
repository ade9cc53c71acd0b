// SPDX-License-Identifier: GPL-3.0-or-later
// CDlgFormatSD: "Initialize SD Card". Opened for the mount point of a removable drive; Start
// formats the card's device in a worker thread (FAT32, 32 KiB clusters, label AVFILE3, by
// mkfs.fat or the program's own FAT32 writer above 56,300 MiB) while the "Please wait a
// moment" box is shown, then makes the card's folders and dvr_config/driverid.ini with the
// driver text. The dialog ends with OK only when the card was formatted and prepared; a
// failure shows "Format error" and leaves the dialog open for another try.
#pragma once

#include <QDialog>
#include <QString>

#include <functional>
#include <string>

#include "core/sdcard/SdCard.h"

class CDlgMessage;
class QLabel;
class QLineEdit;
class QPushButton;
class QThread;

class CDlgFormatSD : public QDialog {
    Q_OBJECT

public:
    using Formatter = std::function<vantrel::SdFormatOutcome(const vantrel::SdFormatRequest&)>;

    // mountPoint: the card's root folder; driverText: the edit's first text. The drive layer's
    // roots and the formatter can be replaced (tests point them at fixture trees and images).
    CDlgFormatSD(const QString& mountPoint, const QString& driverText, QWidget* parent = nullptr,
                 vantrel::DriveLayer::Roots roots = {}, Formatter formatter = {});
    ~CDlgFormatSD() override;

    // "Invalid SD card drive" and Cancel at once when the mount point is not on a removable
    // drive; otherwise the dialog runs modally.
    int exec() override;

    QLineEdit* DriverEdit() const { return m_pEditDriver; }
    QPushButton* StartButton() const { return m_pButtonStart; }
    QPushButton* CancelButton() const { return m_pButtonCancel; }
    QPushButton* CloseButton() const { return m_pButtonClose; }
    CDlgMessage* WaitDialog() const { return m_pWait; }
    const QString& DeviceText() const { return m_strDevice; }
    bool IsFormatting() const { return m_pWorker != nullptr; }

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void OnStart();
    // WM_FORMATSD_WAIT: shows the wait box unless the format has already ended.
    void OnFormatWait();
    // WM_FORMATSD_RESULT and WM_FORMATSD_DONE in one: the card is prepared by then.
    void OnFormatResult(bool succeeded, const QString& reason);

private:
    QString m_strMountPoint;
    QString m_strDevice;  // the card's block device ("/dev/sdb1"); empty when none
    bool m_bRemovable = false;
    vantrel::DriveLayer::Roots m_roots;
    Formatter m_formatter;
    QThread* m_pWorker = nullptr;
    bool m_bWaitWanted = false;  // the format runs and has not ended yet
    CDlgMessage* m_pWait = nullptr;
    QLabel* m_pLabelDrive = nullptr;         // 1050
    QLabel* m_pLabelFileSystem = nullptr;    // 1051
    QLabel* m_pLabelDriver = nullptr;        // 1052
    QLineEdit* m_pEditDriver = nullptr;      // 1049
    QPushButton* m_pButtonStart = nullptr;   // 1047
    QPushButton* m_pButtonCancel = nullptr;  // 1031
    QPushButton* m_pButtonClose = nullptr;   // 2
};

// For the settings dialog: runs "Initialize SD Card" for the removable drive mounted at
// mountPoint; true when the card was initialised.
bool RunFormatSdDialog(QWidget* parent, const QString& mountPoint,
                       const QString& driverText = QString());
