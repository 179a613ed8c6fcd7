// The bundle: its information and where its resources are found.

#include "tests/app/AppTestSupport.h"

#include "app/core/AppBundle.h"

#include <QDir>

#include <gtest/gtest.h>

#include <cstdlib>

namespace brisvane {
namespace {

class AppBundleTest : public test::AppCoreTest {
protected:
    void TearDown() override
    {
        ::unsetenv(AppBundle::kPrefixVariable);
        AppCoreTest::TearDown();
    }
};

TEST_F(AppBundleTest, Information)
{
    EXPECT_EQ(AppBundle::identifier(), "org.brisvane.Brisvane");
    EXPECT_EQ(AppBundle::shortVersion(), "1.0");
    EXPECT_EQ(AppBundle::buildVersion(), "1");
}

TEST_F(AppBundleTest, ThePrefixIsTheProgramsParentFolderUnlessOverridden)
{
    ::unsetenv(AppBundle::kPrefixVariable);
    EXPECT_EQ(QDir(AppBundle::prefix()), QDir(QCoreApplication::applicationDirPath() + "/.."));
    ::setenv(AppBundle::kPrefixVariable, "", 1);
    EXPECT_EQ(QDir(AppBundle::prefix()), QDir(QCoreApplication::applicationDirPath() + "/.."));
    ::setenv(AppBundle::kPrefixVariable, "/opt/brisvane", 1);
    EXPECT_EQ(AppBundle::prefix(), "/opt/brisvane");
}

TEST_F(AppBundleTest, ResourcesAreFoundInTheInstalledLayout)
{
    const QString prefix = makeDirectory("prefix");
    ::setenv(AppBundle::kPrefixVariable, qPrintable(prefix), 1);
    EXPECT_FALSE(AppBundle::resourcePath("BrisvaneHelper"));
    EXPECT_FALSE(AppBundle::resourcePath("org.brisvane.Brisvane.helper", "plist"));

    test::writeFile(prefix + "/libexec/brisvane/BrisvaneHelper", "x");
    test::writeFile(prefix + "/share/brisvane/org.brisvane.Brisvane.helper.plist", "x");
    EXPECT_EQ(AppBundle::resourcePath("BrisvaneHelper"),
              prefix + "/libexec/brisvane/BrisvaneHelper");
    EXPECT_EQ(AppBundle::resourcePath("org.brisvane.Brisvane.helper", "plist"),
              prefix + "/share/brisvane/org.brisvane.Brisvane.helper.plist");
    // A resource is a file of that name, not a folder and not a path out of the layout.
    QDir().mkpath(prefix + "/libexec/brisvane/folder");
    EXPECT_FALSE(AppBundle::resourcePath("folder"));
    EXPECT_FALSE(AppBundle::resourcePath("../brisvane/BrisvaneHelper"));
    EXPECT_FALSE(AppBundle::resourcePath("BrisvaneHelper", "plist"));
}

} // namespace
} // namespace brisvane
