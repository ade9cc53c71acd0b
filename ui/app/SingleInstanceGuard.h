// SPDX-License-Identifier: GPL-3.0-or-later
// Only one copy of the program runs per user: the first copy holds a lock file named after
// "KORVUTVIEWER" in the user's runtime folder for its whole run. A lock left behind by a copy
// that died is taken over; a lock of a running copy is never considered stale, however long
// that copy has been running.
#pragma once

#include <QLockFile>
#include <QString>

class SingleInstanceGuard {
public:
    // The lock file "KORVUTVIEWER.lock" in the folder.
    explicit SingleInstanceGuard(const QString& folder);
    ~SingleInstanceGuard();
    SingleInstanceGuard(const SingleInstanceGuard&) = delete;
    SingleInstanceGuard& operator=(const SingleInstanceGuard&) = delete;

    // False when another running copy holds the lock (or the folder is unusable).
    bool TryAcquire();
    // Gives the lock up; harmless when it is not held.
    void Release();
    bool IsHeld() const { return m_bHeld; }
    QString FileName() const { return m_strFileName; }

    // The user's runtime folder (XDG_RUNTIME_DIR), else the temporary folder.
    static QString DefaultFolder();

private:
    QString m_strFileName;
    QLockFile m_lock;
    bool m_bHeld = false;
};
