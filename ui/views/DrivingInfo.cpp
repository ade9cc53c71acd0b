// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/views/DrivingInfo.h"

#include <QBitmap>
#include <QFontInfo>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>

#include <array>
#include <utility>
#include <vector>

#include "core/app/Accounts.h"
#include "core/app/TextCase.h"
#include "core/ini/IniFile.h"
#include "core/util/TimeUtil.h"
#include "ui/app/LangText.h"
#include "ui/controls/AppContext.h"
#include "ui/controls/ButtonArt.h"
#include "ui/controls/VQEdit.h"

namespace {

constexpr const char* kSection = "RECORDINFO";
constexpr const char* kAreaKey = "DrivingArea";

const QColor kBackground(160, 160, 160);
const QColor kCaptionColour(228, 29, 36);

// The white value boxes: x ranges of the three columns, y ranges of their rows.
struct BoxColumn {
    int left;
    int right;
    int rows;
};
constexpr std::array<BoxColumn, 3> kBoxColumns = {{{150, 310, 5}, {470, 630, 5}, {790, 950, 3}}};
constexpr std::array<int, 5> kBoxTops = {8, 32, 56, 80, 104};
constexpr int kBoxHeight = 20;
constexpr int kBoxWidth = 160;

struct TextRow {
    const char* key;
    const char* label;
    int labelX;
    QString CWndDrivingInfo::*value;
    int valueX;
    int y;
};

const std::array<TextRow, 13> kTextRows = {{
    {"VEHICLENO", "Vehicle No", 10, &CWndDrivingInfo::m_strVehicleNo, 153, 10},
    {"DRID", "DR ID", 10, &CWndDrivingInfo::m_strDrid, 153, 34},
    {"DRIVERNAME", "Driver Name", 10, &CWndDrivingInfo::m_strDriverName, 153, 58},
    {"SAVEUSERNAME", "Save User Name", 10, &CWndDrivingInfo::m_strSaveUserName, 153, 82},
    {"SAVEDATETIME", "Save Date/Time", 10, &CWndDrivingInfo::m_strSaveDateTime, 153, 106},
    {"RECORDSTARTTIME", "Record Start Time", 330, &CWndDrivingInfo::m_strRecordStart, 473, 10},
    {"RECORDSTOPTIME", "Record Stop Time", 330, &CWndDrivingInfo::m_strRecordStop, 473, 34},
    {"DRIVINGDISTANCE", "Driving Distance", 330, &CWndDrivingInfo::m_strDrivingDistance, 473, 58},
    {"DRIVINGTIME", "Driving Time", 330, &CWndDrivingInfo::m_strDrivingTime, 473, 82},
    {"MAXCONTDRIVINGTIME", "Max Cont Driving Time", 330, &CWndDrivingInfo::m_strMaxContDrivingTime,
     473, 106},
    {"MAXSPEED", "Max Speed", 650, &CWndDrivingInfo::m_strMaxSpeed, 793, 10},
    {"MAXSPEEDTIME", "Max Speed Time", 650, &CWndDrivingInfo::m_strMaxSpeedTime, 793, 34},
    {"DRIVINGAREA", "Driving Area", 650, &CWndDrivingInfo::m_strDrivingArea, 793, 58},
}};

QString Utf8(const std::string& text) {
    return QString::fromStdString(text);
}

QString StampText(const vantrel::ini::IniFile& file, const char* key) {
    return Utf8(vantrel::FormatTimeStamp(file.GetString(kSection, key, ""), false));
}

QString DurationText(const vantrel::ini::IniFile& file, const char* key) {
    return Utf8(
        vantrel::FormatHalfSeconds(static_cast<std::uint32_t>(file.GetInt(kSection, key, 0))));
}

QString ViewerName() {
    return LangText("GUI", "VIEWERNAME", "Korvu Vantrel");
}

// One font for a set of texts, each with its width: the shared font when all fit, else its
// condensed form, made smaller a pixel at a time (down to 10) until all fit. The positions
// were laid out for narrower faces than the stand-ins; a label must not run into its value box
// nor a value out of it, and texts of one kind keep one size.
QFont CommonFont(const QFont& base, const std::vector<std::pair<QString, int>>& texts) {
    const auto fits = [&texts](const QFont& font) {
        const QFontMetrics metrics(font);
        for (const auto& [text, width] : texts) {
            if (metrics.horizontalAdvance(text) > width) {
                return false;
            }
        }
        return true;
    };
    if (fits(base)) {
        return base;
    }
    QFont font = base;
    font.setStretch(QFont::Condensed);
    int size = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    while (size > 10 && !fits(font)) {
        font.setPixelSize(--size);
    }
    return font;
}

void DrawTopLeft(QPainter& painter, int x, int y, const QString& text) {
    painter.drawText(QRect(x, y, 1000, 100), Qt::AlignLeft | Qt::AlignTop, text);
}

}  // namespace

CWndDrivingInfo::CWndDrivingInfo(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    QPixmap logo = QPixmap::fromImage(vantrel::ui::LogoImage());
    logo.setMask(logo.createMaskFromColor(Qt::black));
    m_logo = logo;

    m_pAreaEdit = new CVQEdit(this);
    m_pAreaEdit->setMaxLength(kAreaMaxLength);
    m_pAreaEdit->setFrame(false);
    m_pAreaEdit->setGeometry(791, 58, 950 - 791, 76 - 58);
    m_pAreaEdit->setFont(vantrel::ui::NormalFont());
    m_pAreaEdit->setTextMargins(1, 0, 0, 0);
    m_pAreaEdit->hide();

    m_pSaveButton = new QPushButton(LangText("GUI", "SAVE", "Save"), this);
    m_pSaveButton->setObjectName(QStringLiteral("1030"));
    m_pSaveButton->setGeometry(955, 55, 1035 - 955, 77 - 55);
    m_pSaveButton->setFont(vantrel::ui::NormalFont());
    m_pSaveButton->hide();
    connect(m_pSaveButton, &QPushButton::clicked, this, &CWndDrivingInfo::Save);
    connect(m_pAreaEdit, &QLineEdit::returnPressed, this, &CWndDrivingInfo::Save);
}

void CWndDrivingInfo::LoadRecord(const std::string& summaryPath) {
    m_strRecordPath = summaryPath;
    const vantrel::ini::IniFile file =
        summaryPath.empty() ? vantrel::ini::IniFile() : vantrel::ini::IniFile::Load(summaryPath);
    m_strSaveDateTime = StampText(file, "SaveDateTime");
    m_strSaveUserName = Utf8(file.GetString(kSection, "SaveUserName", ""));
    m_strVehicleNo = Utf8(file.GetString(kSection, "VehicleNo", ""));
    m_strDrid = Utf8(file.GetString(kSection, "DRID", ""));
    m_strDriverName = Utf8(file.GetString(kSection, "DriverName", ""));
    m_strRecordStart = StampText(file, "RecordStart");
    m_strRecordStop = StampText(file, "RecordStop");
    m_strMaxContDrivingTime = DurationText(file, "MaxContinueDrivingTime");
    m_strDrivingDistance = Utf8(file.GetString(kSection, "DrivingCM", "")) + QStringLiteral(" km");
    m_strDrivingTime = DurationText(file, "DrivingTime");
    m_strMaxSpeed = Utf8(file.GetString(kSection, "MaxSpeed", "")) + QStringLiteral(" km/h");
    m_strMaxSpeedTime = StampText(file, "MaxSpeedDateTime");
    m_strDrivingArea = Utf8(file.GetString(kSection, kAreaKey, ""));
    // A record opened anew starts with an empty editor.
    m_pAreaEdit->clear();
    UpdateEditor();
    update();
}

void CWndDrivingInfo::Clear() {
    m_strRecordPath.clear();
    for (const TextRow& row : kTextRows) {
        (this->*row.value).clear();
    }
    m_pAreaEdit->clear();
    UpdateEditor();
    update();
}

void CWndDrivingInfo::UpdateEditor() {
    bool show = false;
    if (IsLoaded() && m_strDrivingArea.isEmpty()) {
        const std::string user = vantrel::ui::UserName().toStdString();
        show = vantrel::EqualsNoCase(user, m_strSaveUserName.toStdString()) ||
               vantrel::EqualsNoCase(user, vantrel::kAdministratorName);
    }
    m_pAreaEdit->setVisible(show);
    m_pSaveButton->setVisible(show);
}

bool CWndDrivingInfo::WriteDrivingArea(const std::string& summaryPath, const QString& area,
                                       QString* storedValue) {
    if (summaryPath.empty()) {
        return false;
    }
    vantrel::ini::IniFile file = vantrel::ini::IniFile::Load(summaryPath);
    // A summary file that has gone (its record was deleted) is not made again with only
    // this key in it.
    if (!file.exists() || file.readFailed() || !file.HasSection(kSection)) {
        return false;
    }
    const std::string value = area.toStdString();
    file.Set(kSection, kAreaKey, value);
    if (!file.Save(summaryPath)) {
        return false;
    }
    // What a reader of this line gets (blanks trimmed, one pair of quotes removed).
    const std::string expected =
        vantrel::ini::IniFile::Parse(std::string("[RECORDINFO]\n") + kAreaKey + "=" + value + "\n")
            .GetString(kSection, kAreaKey, "");
    const std::string readBack =
        vantrel::ini::IniFile::Load(summaryPath).GetString(kSection, kAreaKey, "");
    if (readBack != expected || readBack.empty()) {
        return false;
    }
    if (storedValue != nullptr) {
        *storedValue = Utf8(readBack);
    }
    return true;
}

void CWndDrivingInfo::Save() {
    const QString area = m_pAreaEdit->text().trimmed();
    if (area.isEmpty() || m_pSaveButton->isHidden()) {
        return;
    }
    QMessageBox ask(
        QMessageBox::Question, ViewerName(),
        LangText("MESSAGE", "WANTSAVE", "Do you want to save?\nYou can not change after save"),
        QMessageBox::Yes | QMessageBox::No, this);
    ask.setDefaultButton(QMessageBox::No);
    if (ask.exec() != QMessageBox::Yes) {
        return;
    }
    QString stored;
    if (!WriteDrivingArea(m_strRecordPath, area, &stored)) {
        // The operator's text stays in the editor for another try; the record is unchanged.
        QMessageBox failed(
            QMessageBox::Warning, ViewerName(),
            LangText("MESSAGE", "SAVEAREAFAIL", "The driving area could not be saved"),
            QMessageBox::Ok, this);
        failed.exec();
        return;
    }
    m_strDrivingArea = stored;
    m_pAreaEdit->clear();
    UpdateEditor();
    update();
    emit DrivingAreaSaved(Utf8(m_strRecordPath));
}

void CWndDrivingInfo::Render(QImage& image) {
    QPainter painter(&image);
    painter.setFont(vantrel::ui::NormalFont());
    painter.fillRect(image.rect(), kBackground);
    painter.setPen(Qt::black);
    if (IsLoaded()) {
        for (const BoxColumn& column : kBoxColumns) {
            for (int row = 0; row < column.rows; ++row) {
                painter.fillRect(QRect(column.left, kBoxTops[static_cast<size_t>(row)],
                                       column.right - column.left, kBoxHeight),
                                 Qt::white);
            }
        }
    }
    // Labels end before their value box, values 3 pixels inside its right edge.
    std::vector<std::pair<QString, int>> labels;
    std::vector<std::pair<QString, int>> values;
    for (const TextRow& row : kTextRows) {
        labels.emplace_back(LangText("GUI", row.key, row.label), row.valueX - 7 - row.labelX);
        values.emplace_back(this->*row.value, kBoxWidth - 6);
    }
    const QFont base = painter.font();
    painter.setFont(CommonFont(base, labels));
    for (std::size_t i = 0; i < kTextRows.size(); ++i) {
        DrawTopLeft(painter, kTextRows[i].labelX, kTextRows[i].y, labels[i].first);
    }
    painter.setFont(CommonFont(base, values));
    for (std::size_t i = 0; i < kTextRows.size(); ++i) {
        DrawTopLeft(painter, kTextRows[i].valueX, kTextRows[i].y, values[i].first);
    }
    painter.setFont(base);
    m_pSaveButton->setText(LangText("GUI", "SAVE", "Save"));
    const int w = image.width();
    const int h = image.height();
    painter.drawPixmap(w - 110, 10, m_logo);
    painter.setFont(vantrel::ui::LargeFont());
    painter.setPen(kCaptionColour);
    const QRect family(0, h - 30, w - 10, 100);
    const QRect model(0, h - 60, w - 10, 100);
    painter.drawText(family, Qt::AlignRight | Qt::AlignTop, QStringLiteral("Rendo - 520"));
    painter.drawText(model, Qt::AlignRight | Qt::AlignTop, QStringLiteral("ZM4417KX"));
}

void CWndDrivingInfo::paintEvent(QPaintEvent* /*event*/) {
    QImage image(size(), QImage::Format_RGB32);
    Render(image);
    QPainter painter(this);
    painter.drawImage(0, 0, image);
}
