// Tests must never reach the user's own files: each test program has folders of its own.
#include <QStandardPaths>
#include <QString>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

TEST(PrivateHome, SettingsDataAndHomeAreTheTestProgramsOwn) {
    for (const char* variable : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
        SCOPED_TRACE(variable);
        const char* value = std::getenv(variable);
        ASSERT_NE(value, nullptr);
        EXPECT_NE(std::string(value).find("/skedula-home-"), std::string::npos);
        EXPECT_TRUE(std::filesystem::is_directory(value));
    }
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    EXPECT_EQ(config, QString::fromLocal8Bit(std::getenv("XDG_CONFIG_HOME")));
}

} // namespace
