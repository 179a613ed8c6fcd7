// The stand-ins' parsers of outside input: launchd property lists and AppleScript sources.
#include "platform/virtual-mac/AppleScriptSource.h"
#include "platform/virtual-mac/LaunchdJob.h"
#include "platform/virtual-mac/PropertyList.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace brisvane {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::string plist(const std::string& dictBody)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">\n<dict>\n" +
           dictBody + "\n</dict>\n</plist>\n";
}

TEST(PropertyList, ReadsADaemonDefinition)
{
    const LaunchdJob job = LaunchdJob::fromPlist(PropertyList::parse(plist(R"(
        <!-- the daemon -->
        <key>Label</key><string>org.brisvane.Brisvane.helper</string>
        <key>ProgramArguments</key>
        <array><string>/Library/PrivilegedHelperTools/org.brisvane.Brisvane.helper</string>
               <string>a &amp; b &lt;c&gt; &#233;&#x263A; <![CDATA[<raw>]]></string></array>
        <key>KeepAlive</key><true/>
        <key>RunAtLoad</key><false/>
        <key>ThrottleInterval</key><integer>2</integer>
        <key>EnvironmentVariables</key><dict><key>A</key><string>1</string></dict>
        <key>MachServices</key><dict><key>org.brisvane.Brisvane.helper</key><true/></dict>)")));
    EXPECT_EQ(job.label, "org.brisvane.Brisvane.helper");
    EXPECT_EQ(job.program, "/Library/PrivilegedHelperTools/org.brisvane.Brisvane.helper");
    EXPECT_THAT(job.arguments, ElementsAre(job.program, "a & b <c> \u00e9\u263a <raw>"));
    EXPECT_EQ(job.keepAlive, LaunchdJob::KeepAlive::always);
    EXPECT_TRUE(job.startsAtLoad()) << "KeepAlive implies a start at load";
    EXPECT_EQ(job.throttleSeconds, 2.0);
    EXPECT_EQ(job.environment.at("A"), "1");
}

TEST(PropertyList, KeepAliveDictionaryDecidesRestartsByExitStatus)
{
    auto keepAlive = [](const std::string& value) {
        return LaunchdJob::fromPlist(PropertyList::parse(
            plist("<key>Label</key><string>x</string><key>Program</key><string>/bin/x</string>"
                  "<key>KeepAlive</key>" +
                  value)));
    };
    const auto onFailure = keepAlive("<dict><key>SuccessfulExit</key><false/></dict>");
    EXPECT_TRUE(onFailure.restartsAfter(1));
    EXPECT_FALSE(onFailure.restartsAfter(0));
    const auto onSuccess = keepAlive("<dict><key>SuccessfulExit</key><true/></dict>");
    EXPECT_TRUE(onSuccess.restartsAfter(0));
    EXPECT_FALSE(onSuccess.restartsAfter(2));
    const auto never = keepAlive("<false/>");
    EXPECT_FALSE(never.restartsAfter(1));
    EXPECT_FALSE(never.startsAtLoad());
    EXPECT_THAT(never.arguments, ElementsAre("/bin/x")) << "Program alone is argv[0]";
}

struct BadPlist {
    const char* document;
    const char* message;
};

class BadPlists : public ::testing::TestWithParam<BadPlist> {};

TEST_P(BadPlists, FailWithAReason)
{
    try {
        LaunchdJob::fromPlist(PropertyList::parse(GetParam().document));
        FAIL() << "accepted " << GetParam().document;
    } catch (const PropertyList::Error& e) {
        EXPECT_THAT(e.what(), HasSubstr(GetParam().message));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Documents, BadPlists,
    ::testing::Values(
        BadPlist{"", "expected an element"},
        BadPlist{"<plist><dict><key>Label</key></dict></plist>", "without a value"},
        BadPlist{"<plist><dict><string>x</string></dict></plist>", "must start with <key>"},
        BadPlist{"<plist><dict><key>Label</key><string>x</dict></plist>", "expected </string>"},
        BadPlist{"<plist><dict></dict></plist>trailing", "text after the document"},
        BadPlist{"<plist><array></array></plist>", "not a dictionary"},
        BadPlist{"<plist><dict><key>Label</key><string>a/b</string></dict></plist>",
                 "unusable Label"},
        BadPlist{"<plist><dict><key>Label</key><string>x</string></dict></plist>",
                 "names a program"},
        BadPlist{"<plist><dict><key>Label</key><integer>1</integer></dict></plist>",
                 "must be a string"},
        BadPlist{"<plist><dict><key>Label</key><string>&bogus;</string></dict></plist>",
                 "unknown entity"},
        BadPlist{"<plist><dict><key>Label</key><string>&#0;</string></dict></plist>",
                 "character reference"},
        BadPlist{"<plist><integer>12x</integer></plist>", "not an integer"},
        BadPlist{"<plist><widget/></plist>", "unknown element"},
        BadPlist{"<plist><dict><key>A</key><string>x", "expected </string>"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(PropertyList, BoundsNesting)
{
    std::string deep;
    for (int i = 0; i < 200; ++i)
        deep += "<array>";
    EXPECT_THROW(PropertyList::parse(deep), PropertyList::Error);
}

TEST(AppleScriptSource, UndoesExactlyTheEscapingOfTheAdministratorScript)
{
    const std::string script = "echo \"a \\\\ b\" 'single'\nprintf '%s\\n' \"$HOME\"\n\\";
    const std::string source = "do shell script \"" + AppleScriptSource::escape(script) +
                               "\" with administrator privileges";
    EXPECT_EQ(AppleScriptSource::adminShellScript(source), script);
    EXPECT_EQ(AppleScriptSource::adminShellScript(
                  "  DO Shell\tScript \"x\"\n with  administrator privileges \n"),
              "x")
        << "keywords are case-insensitive and white space is free";
    EXPECT_EQ(AppleScriptSource::escape("a\"b\\c"), "a\\\"b\\\\c");
}

class BadScripts : public ::testing::TestWithParam<BadPlist> {};

TEST_P(BadScripts, AreSyntaxErrors)
{
    try {
        AppleScriptSource::adminShellScript(GetParam().document);
        FAIL() << "accepted " << GetParam().document;
    } catch (const AppleScriptSource::Error& e) {
        EXPECT_THAT(e.what(), HasSubstr(GetParam().message));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sources, BadScripts,
    ::testing::Values(
        BadPlist{R"(do shell script "a\nb" with administrator privileges)", "unknown escape \\n"},
        BadPlist{R"(do shell script "a\" with administrator privileges)", "Expected"},
        BadPlist{R"(do shell script "ab" with administrator privileges and more)", "runs only"},
        BadPlist{R"(do shell script "ab")", "runs only"},
        BadPlist{R"(do shell scripts "ab" with administrator privileges)", "runs only"},
        BadPlist{R"(display dialog "hi")", "runs only"}, BadPlist{"", "runs only"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

} // namespace
} // namespace brisvane
