#include "calendar/SingleInstance.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <optional>

namespace {

TEST(SingleInstance, SecondHolderIsRefusedUntilTheFirstEnds) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());

    std::optional<SingleInstance> first(std::in_place, dir.path());
    EXPECT_TRUE(first->isFirst());
    EXPECT_FALSE(SingleInstance(dir.path()).isFirst());

    first.reset();
    EXPECT_TRUE(SingleInstance(dir.path()).isFirst());
}

TEST(SingleInstance, LockOfALongRunningCopyNeverGoesStale) {
    QTemporaryDir dir;
    const SingleInstance first(dir.path());
    ASSERT_TRUE(first.isFirst());

    // The running copy took its lock days ago.
    QFile lock(QDir(dir.path()).filePath(QLatin1String(SingleInstance::kLockName)));
    ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
    ASSERT_TRUE(lock.setFileTime(QDateTime::currentDateTime().addDays(-3),
                                 QFileDevice::FileModificationTime));
    lock.close();

    EXPECT_FALSE(SingleInstance(dir.path()).isFirst());
}

TEST(SingleInstance, LocksInDifferentDirectoriesDoNotMeet) {
    QTemporaryDir one;
    QTemporaryDir two;
    const SingleInstance first(one.path());
    EXPECT_TRUE(first.isFirst());
    EXPECT_TRUE(SingleInstance(two.path()).isFirst());
}

TEST(SingleInstance, UnusableLockDirectoryStillLetsTheProgramRun) {
    QTemporaryDir dir;
    const SingleInstance instance(QDir(dir.path()).filePath(QStringLiteral("missing/deeper")));
    EXPECT_TRUE(instance.isFirst());
}

}  // namespace
