#include "platform/SystemFacts.h"

#include <QGuiApplication>
#include <fstream>
#include <gtest/gtest.h>

TEST(SystemFacts, MemoryFiguresFromMeminfo)
{
    const auto status = platform::ParseMemInfo("MemTotal:       24000000 kB\n"
                                               "MemFree:         1000000 kB\n"
                                               "MemAvailable:   20000000 kB\n"
                                               "SwapTotal:       2000000 kB\n"
                                               "SwapFree:        1500000 kB\n");
    EXPECT_EQ(status.totalPhysical, 24000000ull * 1024);
    EXPECT_EQ(status.availablePhysical, 20000000ull * 1024);
    EXPECT_EQ(status.totalPageFile, 2000000ull * 1024);
    EXPECT_EQ(status.availablePageFile, 1500000ull * 1024);
    EXPECT_EQ(status.totalVirtual, 26000000ull * 1024);
    EXPECT_EQ(status.availableVirtual, 21500000ull * 1024);
    EXPECT_EQ(platform::ParseMemInfo("").totalPhysical, 0u);

    const auto facts = platform::ReadSystemFacts();
    EXPECT_FALSE(facts.kernelRelease.isEmpty());
    EXPECT_GE(facts.processorCount, 1u);
    EXPECT_GT(facts.memory.totalPhysical, 0u);
}

TEST(SystemFacts, LockKeysWithoutXFromTheKeyboardLights)
{
    // Without X (the tests run offscreen): what the kernel's keyboard lights say, any keyboard's.
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        GTEST_SKIP() << "on X the session's locks count";
    auto lit = [](const char* name) {
        bool on = false;
        for (int input = 0; input < 32; ++input) {
            std::ifstream led("/sys/class/leds/input" + std::to_string(input) + "::" + name + "/brightness");
            int brightness = 0;
            if (led >> brightness && brightness != 0)
                on = true;
        }
        return on;
    };
    const platform::KeyboardLocks locks = platform::ReadKeyboardLocks();
    EXPECT_EQ(locks.caps, lit("capslock"));
    EXPECT_EQ(locks.num, lit("numlock"));
}
