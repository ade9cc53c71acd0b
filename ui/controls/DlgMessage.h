// SPDX-License-Identifier: GPL-3.0-or-later
// CDlgMessage: the small "Please wait a moment" box shown while long work runs; a point is
// added every second up to four, then the dots start again. Its owner shows it modally and
// closes it when the work ends.
#pragma once

#include <QDialog>
#include <QTimer>

class QLabel;

class CDlgMessage : public QDialog {
    Q_OBJECT

public:
    // With the SD card title the box is titled "Initialize SD Card", otherwise it is untitled.
    explicit CDlgMessage(bool sdCardTitle, QWidget* parent = nullptr);

    QString Text() const;
    int DotCounter() const { return m_nDots; }

public slots:
    // One step of the dots (the one-second timer calls it).
    void OnTimer();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool m_bSdCardTitle;
    int m_nDots = 0;
    QLabel* m_pText = nullptr;  // 1053
    QTimer m_timer;             // 100, one second
};
