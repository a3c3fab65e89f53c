// Starts the real program: the single-instance rule lives between processes.
#include <QDeadlineTimer>
#include <QDir>
#include <QLockFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "calendar/InstanciaUnica.h"

namespace {

using namespace quelmar::calendario;

// Ceiling for things that take well under a second; it only guards against a hang.
constexpr int kCeilingMs = 30000;

class OrbelleProcess : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_runtime.isValid());
        m_environment = QProcessEnvironment::systemEnvironment();
        m_environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // Each test gets its own lock directory, away from any copy the user runs.
        m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
    }

    void TearDown() override {
        for (auto& p : m_processes) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(kCeilingMs);
            }
        }
    }

    QProcess& start() {
        auto& p = m_processes.emplace_back(std::make_unique<QProcess>());
        p->setProcessEnvironment(m_environment);
        p->setProcessChannelMode(QProcess::ForwardedChannels);
        p->start(QStringLiteral(ORBELLE_BINARY), {});
        EXPECT_TRUE(p->waitForStarted(kCeilingMs));
        return *p;
    }

    // The pid written in the lock, 0 when there is no lock.
    qint64 lockOwner() const {
        QLockFile probe(QDir(m_runtime.path()).filePath(QLatin1String(InstanciaUnica::kCerrojo)));
        qint64 pid = 0;
        return probe.getLockInfo(&pid, nullptr, nullptr) ? pid : 0;
    }

    // Waits until `process` holds the lock; false when it ended first.
    bool waitUntilHoldsLock(QProcess& process) {
        const QDeadlineTimer ceiling(kCeilingMs);
        while (!ceiling.hasExpired()) {
            if (lockOwner() == process.processId()) {
                return true;
            }
            if (process.waitForFinished(20)) {
                return false;
            }
        }
        return false;
    }

    QTemporaryDir m_runtime;
    QProcessEnvironment m_environment;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

TEST_F(OrbelleProcess, SecondStartEndsAtOnceAndTheFirstRunsOn) {
    QProcess& first = start();
    ASSERT_TRUE(waitUntilHoldsLock(first));

    QProcess& second = start();
    ASSERT_TRUE(second.waitForFinished(kCeilingMs));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);

    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_EQ(lockOwner(), first.processId());
}

TEST_F(OrbelleProcess, LockLeftByACrashedCopyDoesNotBlockANewStart) {
    QProcess& crashed = start();
    ASSERT_TRUE(waitUntilHoldsLock(crashed));
    const qint64 crashedPid = crashed.processId();
    crashed.kill();  // SIGKILL: no chance to remove the lock
    ASSERT_TRUE(crashed.waitForFinished(kCeilingMs));
    ASSERT_EQ(lockOwner(), crashedPid);

    QProcess& fresh = start();
    ASSERT_TRUE(waitUntilHoldsLock(fresh));

    // The new copy now holds the lock for real.
    QProcess& third = start();
    ASSERT_TRUE(third.waitForFinished(kCeilingMs));
    EXPECT_EQ(third.exitCode(), 0);
    EXPECT_EQ(fresh.state(), QProcess::Running);
}

}  // namespace
