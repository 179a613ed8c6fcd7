// Where the bundle's resources are found.

#include "tests/app/AppTestSupport.h"

#include "app/core/AppBundle.h"

#include <QDir>

#include <gtest/gtest.h>

namespace brisvane {
namespace {

using AppBundleTest = test::AppCoreTest;

TEST_F(AppBundleTest, ThePrefixIsTheProgramsParentFolderUnlessOverridden)
{
    const QDir parent(QCoreApplication::applicationDirPath() + "/..");
    for (const std::optional<QString>& unset :
         {std::optional<QString>(), std::optional(QString())}) {
        setEnv(AppBundle::kPrefixVariable, unset);
        EXPECT_EQ(QDir(AppBundle::prefix()), parent);
    }
    setEnv(AppBundle::kPrefixVariable, QStringLiteral("/opt/brisvane"));
    EXPECT_EQ(AppBundle::prefix(), "/opt/brisvane");
}

TEST_F(AppBundleTest, ResourcesAreFoundInTheInstalledLayout)
{
    const QString prefix = makeDirectory("prefix");
    setEnv(AppBundle::kPrefixVariable, prefix);
    EXPECT_FALSE(AppBundle::resourcePath("BrisvaneHelper"));

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

// The build tree and an installed tree split executables from other files; Brisvane.app keeps
// both in Contents/Resources, which is where CMake puts the daemon and its property list.
TEST_F(AppBundleTest, EachLayoutPlacesTheDaemonAndItsPropertyListWhereItsTreeHasThem)
{
    struct Case {
        AppBundle::Layout layout;
        const char* extension;
        const char* location;
    };
    for (const Case& c : {
             Case{AppBundle::Layout::Installed, "", "libexec/brisvane/BrisvaneHelper"},
             Case{AppBundle::Layout::Installed, "plist", "share/brisvane/BrisvaneHelper.plist"},
             Case{AppBundle::Layout::AppleBundle, "", "Resources/BrisvaneHelper"},
             Case{AppBundle::Layout::AppleBundle, "plist", "Resources/BrisvaneHelper.plist"},
         }) {
        EXPECT_EQ(AppBundle::resourceLocation(c.layout, "BrisvaneHelper", c.extension), c.location);
    }
}

} // namespace
} // namespace brisvane
