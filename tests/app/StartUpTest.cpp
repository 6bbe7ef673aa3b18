#include "app/modMain.h"
#include "core/Version.h"
#include "platform/SingleInstance.h"
#include "support/FakePlatform.h"

#include <QCoreApplication>
#include "support/UniqueKey.h"

#include <gtest/gtest.h>

using modMain::StartUpGate;


TEST(StartUp, VersionGate)
{
    struct Case {
        const char* version;
        bool accepted;
    };
    const std::vector<Case> cases = {
        {"3.10", false}, {"3.99", false}, {"4.00", true}, {"4.10", true}, {"6.01", true}, {"", false}, {"junk", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(modMain::VersionAccepted(c.version), c.accepted) << c.version;
    // Kernels: from 3.2 on every one starts (enterprise hosts run 3.10).
    const std::vector<Case> kernels = {{"3.1.0", false}, {"3.2.0", true}, {"3.10.0-1160.el7.x86_64", true}, {"6.1.0-13-amd64", true}};
    for (const auto& c : kernels)
        EXPECT_EQ(modMain::VersionAccepted(modMain::StartUpVersion(c.version)), c.accepted) << c.version;
}

TEST(StartUp, AnOldSystemIsRefusedWithItsMessage)
{
    FakePlatform fake;
    fake.facts.kernelRelease = "3.1.0";
    platform::SingleInstance instance(UniqueKey("start-up old"));
    EXPECT_EQ(modMain::CheckStartUp(instance), StartUpGate::VersionRefused);
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, "Use on Windows 95 or later.");
    EXPECT_EQ(fake.messages[0].title, QString::fromStdString(tallir::VersionCaption()));
    EXPECT_EQ(fake.messages[0].icon, platform::Icon::Information);
    EXPECT_EQ(fake.messages[0].buttons, platform::Buttons::Ok);
}

TEST(StartUp, ThePreviousInstanceTestComesFirst)
{
    FakePlatform fake;
    fake.facts.kernelRelease = "3.10.0";
    platform::SingleInstance running(UniqueKey("start-up first"));
    ASSERT_TRUE(running.listen());
    platform::SingleInstance second(UniqueKey("start-up first"));
    EXPECT_EQ(modMain::CheckStartUp(second), StartUpGate::PreviousInstance);
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, "PrevInstance = True");
    EXPECT_EQ(fake.messages[0].title, "Tallir");
    EXPECT_EQ(fake.messages[0].icon, platform::Icon::None);
}

TEST(StartUp, AnAcceptedSystemStartsAndListens)
{
    FakePlatform fake;
    fake.facts.kernelRelease = "6.1.0";
    platform::SingleInstance instance(UniqueKey("start-up accepted"));
    EXPECT_EQ(modMain::CheckStartUp(instance), StartUpGate::Start);
    EXPECT_TRUE(fake.messages.empty());
    EXPECT_TRUE(platform::SingleInstance(UniqueKey("start-up accepted")).anotherIsRunning());
}
