// SPDX-License-Identifier: GPL-3.0-or-later
// Checks the custom controls offscreen: the edit's character filters as one table, the
// button's state pictures and caption read back from its rendering, the string array's sort,
// the please-wait dots, and the folder picker's acceptance against a fixture drive layer
// (only the mount point of a removable drive; the path line mirrors the selection and OK
// follows it).
#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "tests/core/util/DriveFixture.h"
#include "ui/controls/DlgMessage.h"
#include "ui/controls/PathDialog.h"
#include "ui/controls/PathStringArray.h"
#include "ui/controls/VQButton.h"
#include "ui/controls/VQEdit.h"

namespace {

struct FilterCase {
    int mode;
    const char* typed;
    const char* expected;
};

class VQEditFilter : public ::testing::TestWithParam<FilterCase> {};

TEST_P(VQEditFilter, DropsCharactersOutsideTheMode) {
    const FilterCase& c = GetParam();
    CVQEdit edit;
    edit.SetFilterMode(c.mode);
    QTest::keyClicks(&edit, QString::fromUtf8(c.typed));
    EXPECT_EQ(edit.text().toStdString(), c.expected) << "mode " << c.mode;
}

INSTANTIATE_TEST_SUITE_P(
    Modes, VQEditFilter,
    ::testing::Values(FilterCase{0, "a b-1", "a b-1"}, FilterCase{1, "1a*#b2 ", "1*#2"},
                      FilterCase{2, "C:/x_y.z-1 ?", "C:/x_y.z-1"}, FilterCase{3, "4a5 -6", "456"},
                      FilterCase{4, "+49 30", "+4930"},
                      FilterCase{5, "host-1.x_y:80/", "host-1.x_y:80"},
                      FilterCase{6, "Kim Chul-2", "Kim Chul2"}, FilterCase{7, "ab 12_Ä", "ab12Ä"},
                      FilterCase{8, "a b~\t", "ab~"}, FilterCase{9, "a b#_", "ab#_"},
                      FilterCase{42, "a b", "a b"}));

TEST(VQEdit, BackspaceAndPastePassTheFilter) {
    CVQEdit edit;
    edit.SetFilterMode(CVQEdit::kFilterDigits);
    QTest::keyClicks(&edit, "12x3");
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), "12");
    // A pasted text with a refused character is not inserted.
    edit.insert("9a");
    EXPECT_EQ(edit.text(), "12");
    edit.insert("99");
    EXPECT_EQ(edit.text(), "1299");
}

// A strip of four solid state colours, so the rendering shows which state is drawn.
QPixmap SolidStrip() {
    QPixmap strip(40, 10);
    QPainter painter(&strip);
    const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::gray};
    for (int i = 0; i < 4; ++i) {
        painter.fillRect(i * 10, 0, 10, 10, colours[i]);
    }
    return strip;
}

QRgb Corner(CVQButton& button) {
    return button.grab().toImage().pixel(1, 1);
}

TEST(VQButton, DrawsTheImageOfItsState) {
    QWidget owner;
    CVQButton button(&owner);
    button.SetStrip(SolidStrip());
    button.setGeometry(0, 0, 100, 30);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    EXPECT_EQ(button.StateWidth(), 10);
    EXPECT_EQ(button.StateHeight(), 10);
    // The offscreen pointer may rest over the new window; start from outside.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&button, &leave);
    EXPECT_EQ(Corner(button), QColor(Qt::red).rgb());
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&button, &enter);
    EXPECT_EQ(Corner(button), QColor(Qt::blue).rgb()) << "hover";
    button.setDown(true);
    EXPECT_EQ(Corner(button), QColor(Qt::green).rgb()) << "pressed";
    button.setDown(false);
    QApplication::sendEvent(&button, &leave);
    EXPECT_FALSE(button.IsHovering());
    EXPECT_EQ(Corner(button), QColor(Qt::red).rgb()) << "after leaving";
    button.setEnabled(false);
    EXPECT_EQ(Corner(button), QColor(Qt::gray).rgb()) << "disabled";
}

// The bounding box of the white caption pixels.
QRect CaptionBox(CVQButton& button) {
    const QImage image = button.grab().toImage();
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qRed(image.pixel(x, y)) > 200 && qGreen(image.pixel(x, y)) > 200) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

TEST(VQButton, CaptionCentredAndShiftedWhilePressed) {
    QWidget owner;
    CVQButton button(&owner);
    QPixmap dark(800, 30);
    dark.fill(QColor(10, 20, 40));
    button.SetStrip(dark);
    button.setGeometry(0, 0, 200, 30);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    EXPECT_TRUE(CaptionBox(button).isNull()) << "no caption, only the image";
    button.setText("Read SD Card");
    const QRect normal = CaptionBox(button);
    ASSERT_FALSE(normal.isNull());
    EXPECT_LE(std::abs(normal.center().x() - 100), 2);
    EXPECT_LE(std::abs(normal.center().y() - 15), 3);
    button.setDown(true);
    EXPECT_EQ(CaptionBox(button), normal.translated(1, 1));
}

TEST(PathStringArray, SortsWithoutRegardToLetterCase) {
    CPathStringArray names{"b", "A", "c"};
    names.Sort();
    EXPECT_EQ(names, (CPathStringArray{"A", "b", "c"}));
    CPathStringArray equal{"x", "a", "X", "A"};
    equal.Sort();
    EXPECT_EQ(equal, (CPathStringArray{"a", "A", "x", "X"})) << "equal texts keep their order";
    CPathStringArray none;
    none.Sort();
    EXPECT_TRUE(none.empty());
    CPathStringArray one{"Z"};
    one.Sort();
    EXPECT_EQ(one, CPathStringArray{"Z"});

    CPathStringArray pair{"b", "A"};
    EXPECT_TRUE(pair.SwapIfGreater(0));
    EXPECT_FALSE(pair.SwapIfGreater(0));
    EXPECT_FALSE(pair.SwapIfGreater(1)) << "no item after the last";
    EXPECT_EQ(pair, (CPathStringArray{"A", "b"}));
}

TEST(DlgMessage, DotsCycleThroughFourAndBack) {
    CDlgMessage box(true);
    box.show();
    EXPECT_EQ(box.windowTitle(), "Initialize SD Card");
    EXPECT_EQ(box.Text(), "Please wait a moment");
    QStringList texts;
    for (int i = 0; i < 6; ++i) {
        box.OnTimer();
        texts << box.Text().mid(20);
    }
    EXPECT_EQ(texts, (QStringList{"", ".", "..", "...", "....", ""}));
    box.close();
    CDlgMessage untitled(false);
    untitled.show();
    EXPECT_TRUE(untitled.windowTitle().isEmpty());
}

class PathDialogTest : public ::testing::Test {
protected:
    PathDialogTest() {
        m_drives.AddFixedRoot();
        m_drives.AddDisk("sdb", "8:16", true);
        m_drives.AddPartition("sdb", "sdb1", "8:17");
        m_drives.AddMount(Card(), "8:17", "vfat", "/dev/sdb1");
        std::filesystem::create_directories(Card() + "/dtacho/sub");
        m_drives.AddDisk("sdc", "8:32", false);
        m_drives.AddMount(Fixed(), "8:32", "ext4", "/dev/sdc");
    }
    std::string Card() const { return m_drives.Place("media/user/CARD").string(); }
    std::string Fixed() const { return m_drives.Place("data").string(); }

    vantrel::test::DriveFixture m_drives;
    vantrel::DriveLayer m_layer = m_drives.Layer();
};

TEST_F(PathDialogTest, AcceptsOnlyTheRootOfARemovableDrive) {
    CPathDialog picker("Select SD Card Drive", nullptr, true, m_layer);
    const QString card = QString::fromStdString(Card());
    EXPECT_TRUE(picker.IsAcceptable(card));
    EXPECT_TRUE(picker.IsAcceptable(card + "/"));
    EXPECT_FALSE(picker.IsAcceptable(card + "/dtacho")) << "a folder on the card";
    EXPECT_FALSE(picker.IsAcceptable(QString::fromStdString(Fixed()))) << "a fixed drive";
    EXPECT_FALSE(picker.IsAcceptable(""));
    EXPECT_FALSE(picker.IsAcceptable(card + "/missing"));

    CPathDialog anyFolder("Backup", nullptr, false, m_layer);
    EXPECT_TRUE(anyFolder.IsAcceptable(card + "/dtacho"));
    EXPECT_FALSE(anyFolder.IsAcceptable(card + "/missing"));
}

TEST_F(PathDialogTest, PathLineAndOkFollowTheSelection) {
    CPathDialog picker("Select SD Card Drive", nullptr, true, m_layer);
    const QString card = QString::fromStdString(Card());
    EXPECT_TRUE(picker.PathLine()->isReadOnly());
    picker.SelectPath(card + "/dtacho");
    EXPECT_EQ(picker.PathLine()->text(), "");
    EXPECT_FALSE(picker.OkButton()->isEnabled());
    picker.SelectPath(card);
    EXPECT_EQ(picker.PathLine()->text(), card);
    EXPECT_TRUE(picker.OkButton()->isEnabled());
    picker.SelectPath(QString::fromStdString(Fixed()));
    EXPECT_FALSE(picker.OkButton()->isEnabled());

    picker.SelectPath(card);
    QTimer::singleShot(0, &picker, [&picker] { picker.OkButton()->click(); });
    EXPECT_EQ(picker.DoModal(), 1);
    EXPECT_EQ(picker.GetPathName(), card);
    QTimer::singleShot(0, &picker, [&picker] { picker.reject(); });
    EXPECT_EQ(picker.DoModal(), -1);
}

TEST_F(PathDialogTest, OpensAtTheFirstRemovableDrive) {
    const QString card = QString::fromStdString(Card());
    const CPathDialog picker("Select SD Card Drive", nullptr, true, m_layer);
    EXPECT_EQ(picker.PathLine()->text(), card);
    EXPECT_TRUE(picker.OkButton()->isEnabled());

    // The settings' folder picker takes no drive as its start.
    const CPathDialog anyFolder("Backup", nullptr, false, m_layer);
    EXPECT_NE(anyFolder.PathLine()->text(), card);

    // Without a removable drive nothing acceptable is selected at the start.
    vantrel::test::DriveFixture fixedOnly;
    fixedOnly.AddFixedRoot();
    const vantrel::DriveLayer layer = fixedOnly.Layer();
    const CPathDialog none("Select SD Card Drive", nullptr, true, layer);
    EXPECT_EQ(none.PathLine()->text(), "");
    EXPECT_FALSE(none.OkButton()->isEnabled());
}

}  // namespace
