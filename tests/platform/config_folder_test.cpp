#include "platform/config_folder.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace fenwick {
namespace {

TEST(ConfigFolder, IsTheExecutablesFolderFollowedByCfg) {
    int argc = 1;
    char name[] = "/opt/some where/bin/fenwick";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    EXPECT_EQ(GetConfigFolder(), QCoreApplication::applicationDirPath() + QStringLiteral("/cfg"));
    EXPECT_FALSE(GetConfigFolder().endsWith(QLatin1Char('/')));
}

} // namespace
} // namespace fenwick
