// A second copy of the program for the hand-over test: runs the start-up checks under the
// key given as its first argument, with the command line after it, and prints what a person
// would have seen, each message box as it shows.

#include "app/modMain.h"
#include "platform/SingleInstance.h"
#include "support/FakePlatform.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc < 2)
        return 2;
    FakePlatform fake;
    fake.onMessage = [](const platform::MessageBoxRequest& message) {
        std::printf("message: %s | title: %s | icon: %d\n", qPrintable(message.text), qPrintable(message.title),
                    static_cast<int>(message.icon));
        std::fflush(stdout);
    };
    platform::SingleInstance instance(QString::fromLocal8Bit(argv[1]));
    QStringList arguments;
    for (int i = 2; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const auto gate = modMain::CheckStartUp(instance, arguments);
    std::printf("gate: %s\n", gate == modMain::StartUpGate::PreviousInstance ? "previous instance"
                              : gate == modMain::StartUpGate::VersionRefused ? "version refused"
                                                                             : "start");
    std::printf("windows: %lld\n", static_cast<long long>(QApplication::topLevelWidgets().size()));
    return 0;
}
