#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <chrono>
#include <future>
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

TEST(InstanciaUnica, ALaterStartReachesTheFirstPastADeadCopysSocket) {
    QTemporaryDir dir;
    // A copy that died left its socket behind.
    QFile stale(QDir(dir.path()).filePath(QLatin1String(InstanciaUnica::kEnchufe)));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    const InstanciaUnica first(dir.path());
    ASSERT_TRUE(first.EsPrimera());
    QSignalSpy called(&first, &InstanciaUnica::Llamada);

    const InstanciaUnica second(dir.path());
    ASSERT_FALSE(second.EsPrimera());
    // The caller blocks until answered, so it runs beside the first's event loop.
    auto answer = std::async(std::launch::async, [&] { return second.LlamarALaPrimera(10000); });
    while (answer.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready) {
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(answer.get());
    EXPECT_EQ(called.count(), 1);
}

TEST(InstanciaUnica, ACallToAFirstThatDoesNotListenGivesUpAtOnce) {
    QTemporaryDir dir;
    // An older Orbelle holds the lock and has no socket.
    QLockFile older(QDir(dir.path()).filePath(QLatin1String(InstanciaUnica::kCerrojo)));
    ASSERT_TRUE(older.tryLock(0));
    const InstanciaUnica second(dir.path());
    ASSERT_FALSE(second.EsPrimera());
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(second.LlamarALaPrimera(10000));
    EXPECT_LT(clock.elapsed(), 5000);
}

}  // namespace
