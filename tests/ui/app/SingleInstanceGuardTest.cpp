// SPDX-License-Identifier: GPL-3.0-or-later
// Checks the single-instance lock: a second attempt fails while the first holds it, release
// frees it, and a lock left by a process that died is taken over.
#include "ui/app/SingleInstanceGuard.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

TEST(SingleInstanceGuard, SecondAttemptFailsWhileTheFirstHolds) {
    QTemporaryDir dir;
    SingleInstanceGuard first(dir.path());
    SingleInstanceGuard second(dir.path());
    EXPECT_EQ(QFileInfo(first.FileName()).fileName(), "KORVUTVIEWER.lock");
    ASSERT_TRUE(first.TryAcquire());
    EXPECT_TRUE(first.TryAcquire());  // asking again keeps it
    EXPECT_FALSE(second.TryAcquire());
    EXPECT_FALSE(second.IsHeld());
    first.Release();
    first.Release();  // a second release does nothing
    EXPECT_TRUE(second.TryAcquire());
    EXPECT_FALSE(first.TryAcquire());
}

TEST(SingleInstanceGuard, LockOfADeadProcessIsTakenOver) {
    QTemporaryDir dir;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SingleInstanceGuard guard(dir.path());
        _exit(guard.TryAcquire() ? 0 : 1);  // dies holding the lock
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    SingleInstanceGuard guard(dir.path());
    ASSERT_TRUE(QFileInfo::exists(guard.FileName()));
    EXPECT_TRUE(guard.TryAcquire());
}

TEST(SingleInstanceGuard, UnusableFolderFails) {
    SingleInstanceGuard guard("/nonexistent-folder-of-vantrel/locks");
    EXPECT_FALSE(guard.TryAcquire());
}

TEST(SingleInstanceGuard, DefaultFolderIsAnExistingFolder) {
    EXPECT_TRUE(QFileInfo(SingleInstanceGuard::DefaultFolder()).isDir());
}
