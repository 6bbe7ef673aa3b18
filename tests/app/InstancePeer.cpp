// A second copy of the program for the hand-over test: runs the start-up checks under the
// key given as its first argument, with the files after it, and prints what a person would
// have seen.

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
    platform::SingleInstance instance(QString::fromLocal8Bit(argv[1]));
    QStringList files; // the files of its command line, after the key
    for (int i = 2; i < argc; ++i)
        files << QString::fromLocal8Bit(argv[i]);
    const auto gate = modMain::CheckStartUp(instance, files);
    for (const auto& message : fake.messages)
        std::printf("message: %s | title: %s | icon: %d\n", qPrintable(message.text), qPrintable(message.title),
                    static_cast<int>(message.icon));
    std::printf("gate: %s\n", gate == modMain::StartUpGate::PreviousInstance ? "previous instance"
                              : gate == modMain::StartUpGate::VersionRefused ? "version refused"
                                                                             : "start");
    std::printf("windows: %lld\n", static_cast<long long>(QApplication::topLevelWidgets().size()));
    return 0;
}
