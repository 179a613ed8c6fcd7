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

// Each document must be refused with an error whose text gives the reason.
template <typename Error, typename Parse>
void expectRefused(Parse parse, std::initializer_list<std::pair<std::string, const char*>> rows)
{
    for (const auto& [document, reason] : rows) {
        try {
            parse(document);
            ADD_FAILURE() << "accepted " << document;
        } catch (const Error& e) {
            EXPECT_THAT(e.what(), HasSubstr(reason)) << document;
        }
    }
}

TEST(PropertyList, BadDocumentsFailWithAReason)
{
    expectRefused<PropertyList::Error>(
        [](const std::string& document) { LaunchdJob::fromPlist(PropertyList::parse(document)); },
        {
            {"", "expected an element"},
            {"<plist><dict><key>Label</key></dict></plist>", "without a value"},
            {"<plist><dict><string>x</string></dict></plist>", "must start with <key>"},
            {"<plist><dict><key>Label</key><string>x</dict></plist>", "expected </string>"},
            {"<plist><dict></dict></plist>trailing", "text after the document"},
            {"<plist><array></array></plist>", "not a dictionary"},
            {"<plist><dict><key>Label</key><string>a/b</string></dict></plist>", "unusable Label"},
            {"<plist><dict><key>Label</key><string>x</string></dict></plist>", "names a program"},
            {"<plist><dict><key>Label</key><integer>1</integer></dict></plist>",
             "must be a string"},
            {"<plist><dict><key>Label</key><string>&bogus;</string></dict></plist>",
             "unknown entity"},
            {"<plist><dict><key>Label</key><string>&#0;</string></dict></plist>",
             "character reference"},
            {"<plist><integer>12x</integer></plist>", "not an integer"},
            {"<plist><widget/></plist>", "unknown element"},
            {"<plist><dict><key>A</key><string>x", "expected </string>"},
        });
}

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

TEST(AppleScriptSource, OtherSourcesAreSyntaxErrors)
{
    expectRefused<AppleScriptSource::Error>(
        [](const std::string& source) { AppleScriptSource::adminShellScript(source); },
        {
            {R"(do shell script "a\nb" with administrator privileges)", "unknown escape \\n"},
            {R"(do shell script "a\" with administrator privileges)", "Expected"},
            {R"(do shell script "ab" with administrator privileges and more)", "runs only"},
            {R"(do shell script "ab")", "runs only"},
            {R"(do shell scripts "ab" with administrator privileges)", "runs only"},
            {R"(display dialog "hi")", "runs only"},
            {"", "runs only"},
        });
}

} // namespace
} // namespace brisvane
