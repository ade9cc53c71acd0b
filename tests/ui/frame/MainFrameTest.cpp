// SPDX-License-Identifier: GPL-3.0-or-later
// Checks the main window offscreen: its title with the version, the fixed 1200 x 691 client
// area without a maximize button, the program-wide pointer and that closing destroys it.
#include "ui/frame/MainFrame.h"

#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

#include "core/BuildVersion.h"

TEST(MainFrame, TitleCarriesTheVersion) {
    const QString version = QString("%1.%2.%3.%4")
                                .arg(vantrel::kVersionMajor)
                                .arg(vantrel::kVersionMinor)
                                .arg(vantrel::kVersionPatch)
                                .arg(vantrel::kVersionTweak);
    CMainFrame frame;
    EXPECT_EQ(frame.windowTitle(), "Korvu Vantrel ( Ver. " + version + " )");
}

TEST(MainFrame, FixedClientAreaWithoutMaximize) {
    CMainFrame frame;
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    EXPECT_EQ(frame.size(), QSize(1200, 691));
    EXPECT_EQ(frame.ClientArea()->geometry(), QRect(0, 0, 1200, 691));
    EXPECT_EQ(frame.minimumSize(), frame.maximumSize());
    EXPECT_FALSE(frame.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(frame.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(frame.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    frame.resize(800, 600);
    EXPECT_EQ(frame.size(), QSize(1200, 691));
}

TEST(MainFrame, ClosingDestroysItAndClearsThePointer) {
    QPointer<CMainFrame> frame = new CMainFrame;
    EXPECT_EQ(GetMainFrame(), frame.data());
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
    EXPECT_TRUE(frame->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(frame.isNull());
    EXPECT_EQ(GetMainFrame(), nullptr);
}
