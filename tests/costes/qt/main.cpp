#include <QApplication>
#include <gtest/gtest.h>
#include <memory>

#include "runtime/Locale.h"

namespace {

// One application object for all window tests, made only when tests run, not when listed.
class AplicacionQt : public ::testing::Environment {
  public:
    void SetUp() override {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        m_app = std::make_unique<QApplication>(m_argc, m_argv);
    }
    void TearDown() override { m_app.reset(); }

  private:
    int m_argc = 1;
    char m_nombre[16] = "costes_qt_tests";
    char* m_argv[2] = {m_nombre, nullptr};
    std::unique_ptr<QApplication> m_app;
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new AplicacionQt);
    return RUN_ALL_TESTS();
}
