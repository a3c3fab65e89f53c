#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

#include "calendar/InstanciaUnica.h"

namespace {

using namespace quelmar::calendario;

TEST(InstanciaUnica, SecondHolderIsRefusedUntilTheFirstEnds) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());

    std::optional<InstanciaUnica> first(std::in_place, dir.path());
    EXPECT_TRUE(first->EsPrimera());
    EXPECT_FALSE(InstanciaUnica(dir.path()).EsPrimera());

    first.reset();
    EXPECT_TRUE(InstanciaUnica(dir.path()).EsPrimera());
}

TEST(InstanciaUnica, LockOfALongRunningCopyNeverGoesStale) {
    QTemporaryDir dir;
    const InstanciaUnica first(dir.path());
    ASSERT_TRUE(first.EsPrimera());

    // The running copy took its lock days ago.
    QFile lock(QDir(dir.path()).filePath(QLatin1String(InstanciaUnica::kCerrojo)));
    ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
    ASSERT_TRUE(lock.setFileTime(QDateTime::currentDateTime().addDays(-3),
                                 QFileDevice::FileModificationTime));
    lock.close();

    EXPECT_FALSE(InstanciaUnica(dir.path()).EsPrimera());
}

TEST(InstanciaUnica, LocksInDifferentDirectoriesDoNotMeet) {
    QTemporaryDir one;
    QTemporaryDir two;
    const InstanciaUnica first(one.path());
    EXPECT_TRUE(first.EsPrimera());
    EXPECT_TRUE(InstanciaUnica(two.path()).EsPrimera());
}

TEST(InstanciaUnica, UnusableLockDirectoryStillLetsTheProgramRun) {
    QTemporaryDir dir;
    const InstanciaUnica instance(QDir(dir.path()).filePath(QStringLiteral("missing/deeper")));
    EXPECT_TRUE(instance.EsPrimera());
}

}  // namespace
