// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/app/SingleInstanceGuard.h"

#include <QDir>
#include <QStandardPaths>

namespace {

QString LockFileName(const QString& folder) {
    return QDir(folder).filePath(QStringLiteral("KORVUTVIEWER.lock"));
}

}  // namespace

SingleInstanceGuard::SingleInstanceGuard(const QString& folder)
    : m_strFileName(LockFileName(folder)), m_lock(m_strFileName) {
    // Only a dead owner makes the lock stale: the program runs for hours.
    m_lock.setStaleLockTime(0);
}

SingleInstanceGuard::~SingleInstanceGuard() {
    Release();
}

bool SingleInstanceGuard::TryAcquire() {
    if (!m_bHeld) {
        m_bHeld = m_lock.tryLock(0);
    }
    return m_bHeld;
}

void SingleInstanceGuard::Release() {
    if (m_bHeld) {
        m_lock.unlock();
        m_bHeld = false;
    }
}

QString SingleInstanceGuard::DefaultFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        folder = QDir::tempPath();
    }
    return folder;
}
