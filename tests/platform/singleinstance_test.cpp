#include "platform/singleinstance.h"

#include "core/tempdir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <gtest/gtest.h>

#include <cstdlib>

namespace wavix {
namespace {

QString folderOf(const test::TempDir& tmp) {
    return QString::fromStdString(tmp.path().string());
}

TEST(SingleInstance, ASecondLockFailsWhileTheFirstHoldsAndSucceedsAfterRelease) {
    test::TempDir tmp;
    CSingleInstance first(folderOf(tmp));
    ASSERT_TRUE(first.TryLock());
    EXPECT_TRUE(first.TryLock());
    EXPECT_TRUE(first.LockFilePath().endsWith(QStringLiteral("/VexWavix Mutex.lock")));

    CSingleInstance second(folderOf(tmp));
    EXPECT_FALSE(second.TryLock());
    EXPECT_FALSE(second.IsLocked());
    QLockFile other(first.LockFilePath());
    EXPECT_FALSE(other.tryLock(0));

    first.Unlock();
    EXPECT_TRUE(second.TryLock());
    EXPECT_FALSE(first.TryLock());
}

TEST(SingleInstance, ALockLeftByACrashedRunIsTakenOver) {
    test::TempDir tmp;
    const QString folder = folderOf(tmp);
    GTEST_FLAG_SET(death_test_style, "fast");
    EXPECT_DEATH(
        {
            CSingleInstance crashed(folder);
            if (crashed.TryLock())
                std::abort();
        },
        "");
    CSingleInstance next(folder);
    ASSERT_TRUE(QFile::exists(next.LockFilePath()));
    EXPECT_TRUE(next.TryLock());
}

TEST(SingleInstance, AnUnreadableLeftoverLockIsTakenOverButAHeldOneIsNot) {
    test::TempDir tmp;
    CSingleInstance next(folderOf(tmp));
    // A crash between creating the file and writing the owner leaves it empty.
    test::writeFile(next.LockFilePath().toStdString(), "");
    EXPECT_TRUE(next.TryLock());

    CSingleInstance late(folderOf(tmp));
    EXPECT_FALSE(late.TryLock());
    EXPECT_TRUE(next.IsLocked());
}

} // namespace
} // namespace wavix
