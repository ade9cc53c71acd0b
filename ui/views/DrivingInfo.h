// SPDX-License-Identifier: GPL-3.0-or-later
// CWndDrivingInfo: the strip above the graphs with the summary of the opened record (vehicle,
// recorder, driver, who saved it and when, start and stop, distance, driving times, maximum
// speed and its time, driving area) in white value boxes, the logo and the model captions.
// The driving area is the one value an operator enters, once per record: while the record has
// none and the user saved the record or is the administrator, an edit box and Save are shown.
// The value goes into the record's summary file, is read back, and only then shows as saved.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

#include <string>

class CVQEdit;
class QPushButton;

class CWndDrivingInfo : public QWidget {
    Q_OBJECT

public:
    static constexpr int kSaveButtonId = 1030;
    static constexpr int kAreaMaxLength = 10;

    explicit CWndDrivingInfo(QWidget* parent = nullptr);

    // Reads the thirteen values of the record summary file and repaints; a missing file or
    // key gives empty texts (and 0 for the two durations).
    void LoadRecord(const std::string& summaryPath);
    // Empties the values and hides the driving area editor.
    void Clear();
    // Command 1030: asks, writes, reads back (see the module comment).
    void Save();

    // A record counts as loaded while its start time is known.
    bool IsLoaded() const { return !m_strRecordStart.isEmpty(); }
    const std::string& RecordPath() const { return m_strRecordPath; }

    // Writes the driving area into an existing record summary file (one that has its
    // RECORDINFO section) and reads it back; true only when the file now holds the value.
    // The file is never created. The value as a later read gives it goes to storedValue.
    static bool WriteDrivingArea(const std::string& summaryPath, const QString& area,
                                 QString* storedValue = nullptr);

    CVQEdit* AreaEdit() const { return m_pAreaEdit; }
    QPushButton* SaveButton() const { return m_pSaveButton; }

    QString m_strSaveDateTime;
    QString m_strSaveUserName;
    QString m_strVehicleNo;
    QString m_strDrid;
    QString m_strDriverName;
    QString m_strRecordStart;
    QString m_strRecordStop;
    QString m_strDrivingDistance;
    QString m_strDrivingTime;
    QString m_strMaxContDrivingTime;
    QString m_strMaxSpeed;
    QString m_strMaxSpeedTime;
    QString m_strDrivingArea;

signals:
    // The summary file now holds a driving area: the record list refreshes.
    void DrivingAreaSaved(const QString& summaryPath);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Shows the editor while the record is loaded, has no driving area and the user saved it
    // or is the administrator (letter case ignored); hides it otherwise.
    void UpdateEditor();
    void Render(QImage& image);

    std::string m_strRecordPath;
    CVQEdit* m_pAreaEdit = nullptr;
    QPushButton* m_pSaveButton = nullptr;
    QPixmap m_logo;
};
