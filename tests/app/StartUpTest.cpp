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
    for (const auto& [version, accepted] :
         {std::pair{"3.10", false}, {"3.99", false}, {"4.00", true}, {"4.10", true}, {"6.01", true}, {"", false}, {"junk", false}})
        EXPECT_EQ(modMain::VersionAccepted(version), accepted) << version;
    // Kernels: from 3.2 on every one starts (enterprise hosts run 3.10).
    for (const auto& [kernel, accepted] : {std::pair{"3.1.0", false}, {"3.2.0", true}, {"3.10.0-1160.el7.x86_64", true}, {"6.1.0-13-amd64", true}})
        EXPECT_EQ(modMain::VersionAccepted(modMain::StartUpVersion(kernel)), accepted) << kernel;
}

TEST(StartUp, AnOldSystemIsRefusedAndARunningCopyComesFirst)
{
    struct Case { const char* kernel; bool running; StartUpGate gate; QString message, title; platform::Icon icon; };
    const QString caption = QString::fromStdString(tallir::VersionCaption());
    const Case cases[] = {
        {"3.1.0", false, StartUpGate::VersionRefused, "Use on Windows 95 or later.", caption, platform::Icon::Information},
        {"3.1.0", true, StartUpGate::PreviousInstance, "PrevInstance = True", "Tallir", platform::Icon::None},
        {"6.1.0", false, StartUpGate::Start, {}, {}, {}},
    };
    for (const Case& c : cases) {
        FakePlatform fake;
        fake.facts.kernelRelease = c.kernel;
        const QString key = UniqueKey(QStringLiteral("start-up %1 %2").arg(c.kernel).arg(c.running));
        platform::SingleInstance running(key), instance(key);
        if (c.running)
            ASSERT_TRUE(running.listen());
        EXPECT_EQ(modMain::CheckStartUp(instance), c.gate) << c.kernel;
        QStringList shown;
        for (const auto& message : fake.messages)
            shown << message.title + ": " + message.text + " " + QString::number(int(message.icon));
        const QString want = c.title + ": " + c.message + " " + QString::number(int(c.icon));
        EXPECT_EQ(shown, c.message.isEmpty() ? QStringList() : QStringList{want}) << c.kernel;
        if (c.gate == StartUpGate::Start)
            EXPECT_TRUE(platform::SingleInstance(key).anotherIsRunning()) << "it listens";
    }
}
