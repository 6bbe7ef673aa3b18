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
    // Available is MemAvailable, not MemFree; virtual is physical and swap together.
    EXPECT_EQ((std::vector{status.totalPhysical, status.availablePhysical, status.totalPageFile, status.availablePageFile, status.totalVirtual,
                           status.availableVirtual}),
              (std::vector<std::uint64_t>{24000000ull << 10, 20000000ull << 10, 2000000ull << 10, 1500000ull << 10, 26000000ull << 10,
                                          21500000ull << 10}));
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
    EXPECT_EQ(std::pair(locks.caps, locks.num), std::pair(lit("capslock"), lit("numlock")));
}
