#include "core/Version.h"
#include "platform/SingleInstance.h"

#include <QApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QWidget>
#include "support/UniqueKey.h"

#include <gtest/gtest.h>

#include <QFile>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using platform::SingleInstance;


TEST(SingleInstance, TheSecondCopyFindsTheFirstAndAsksForItsWindow)
{
    SingleInstance first(UniqueKey("hand-over"));
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    // In the user's runtime folder, unless a socket's path there would be too long for one
    // ("tallir-" and 20 hexadecimal digits after it).
    const QString folder = runtime.toUtf8().size() + 27 <= 100 ? runtime : QStringLiteral("/tmp");
    EXPECT_TRUE(first.serverName().startsWith(folder + '/')) << first.serverName().toStdString();
    EXPECT_FALSE(SingleInstance(UniqueKey("hand-over")).anotherIsRunning()) << "nobody listens yet";
    // The socket a crashed copy left behind is taken over.
    const int leftover = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, QFile::encodeName(first.serverName()).constData(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(leftover, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(leftover);
    ASSERT_TRUE(first.listen());
    QSignalSpy requests(&first, &SingleInstance::activationRequested);

    SingleInstance second(UniqueKey("hand-over"));
    ASSERT_TRUE(second.anotherIsRunning());
    EXPECT_TRUE(second.requestActivation("Tallir Ver.1.0 Rev.109"));
    ASSERT_TRUE(requests.wait(3000));
    EXPECT_EQ(requests.at(0).at(0).toString(), "Tallir Ver.1.0 Rev.109");

    // Names travel unit for unit: blanks, percent signs, and the lone surrogates that stand
    // for bytes of a name that are no UTF-8 (here 0xFF).
    QSignalSpy opens(&first, &SingleInstance::openRequested);
    const QStringList names{"/data/run a.txt", "/data/100%.txt", QStringLiteral("/data/non") + QChar(0xDCFF) + "utf.txt"};
    SingleInstance third(UniqueKey("hand-over"));
    ASSERT_TRUE(third.anotherIsRunning());
    EXPECT_TRUE(third.requestOpen(names)) << "told they are loaded";
    ASSERT_EQ(opens.size(), 1) << "handled before the answer came";
    EXPECT_EQ(std::tuple(opens.at(0).at(0).toStringList(), opens.at(0).at(1).toString()), std::tuple(names, ""));

    EXPECT_FALSE(SingleInstance(UniqueKey("other key")).anotherIsRunning());
}

TEST(SingleInstance, OfTwoCopiesStartedTogetherExactlyOneRuns)
{
    // Both look before either listens: the lock lets only the first through.
    SingleInstance first(UniqueKey("race"));
    SingleInstance second(UniqueKey("race"));
    EXPECT_FALSE(first.anotherIsRunning());
    EXPECT_TRUE(second.anotherIsRunning()) << "the first holds the lock though it does not listen yet";
    EXPECT_TRUE(first.listen());
    EXPECT_FALSE(second.listen()) << "the second never takes the socket of a running copy";
    // The running copy still answers.
    SingleInstance third(UniqueKey("race"));
    EXPECT_TRUE(third.anotherIsRunning());
    EXPECT_TRUE(third.requestActivation("x"));
}

TEST(SingleInstance, ActivationFindsTheWindowByItsCaptionOrItsBeginning)
{
    QWidget other;
    other.setWindowTitle("Something else");
    other.show();
    QWidget frame;
    frame.setWindowTitle("Tallir Ver.1.0 Rev.109 - more text");
    frame.show();
    EXPECT_TRUE(platform::ActivateWindowByCaption("Tallir Ver.1.0 Rev.109"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame.isActiveWindow(); }, 2000));
    EXPECT_FALSE(platform::ActivateWindowByCaption("Nobody"));
}

TEST(SingleInstance, HandOverBetweenTwoProcesses)
{
    // This process plays the running copy; the peer runs the real start-up checks as a second
    // copy, with a fake that records its message boxes.
    const QString key = UniqueKey("processes");
    SingleInstance running(key);
    ASSERT_FALSE(running.anotherIsRunning()); // starting up: the lock is ours, nobody listens yet
    QWidget frame;
    frame.setWindowTitle(QString::fromStdString(tallir::VersionCaption()));
    frame.show();
    QSignalSpy requests(&running, &SingleInstance::activationRequested);
    QSignalSpy opens(&running, &SingleInstance::openRequested);
    QObject::connect(&running, &SingleInstance::activationRequested, &frame,
                     [](const QString& caption) { platform::ActivateWindowByCaption(caption); });
    QProcess peer;
    QString shownBeforeTheFiles;
    QObject::connect(&running, &SingleInstance::openRequested, &frame, [&] { shownBeforeTheFiles = QString::fromUtf8(peer.readAll()); });

    // Started with -e and two files: they are handed over, and only then the box shows.
    peer.setProcessChannelMode(QProcess::MergedChannels);
    peer.start(INSTANCE_PEER, {key, "-e", "/data/run a.txt", "/data/100%.txt"});
    // The second copy waits for a first one still starting up.
    QTest::qWait(1000);
    ASSERT_TRUE(running.listen());
    ASSERT_TRUE(requests.wait(10000)) << peer.readAll().constData();
    ASSERT_TRUE(peer.waitForFinished(10000));
    EXPECT_FALSE(shownBeforeTheFiles.contains("message:")) << shownBeforeTheFiles.toStdString();
    const QString output = shownBeforeTheFiles + QString::fromUtf8(peer.readAll());
    EXPECT_EQ(peer.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("message: PrevInstance = True | title: Tallir | icon: 0\n")) << output.toStdString();
    EXPECT_EQ(output.count("message:"), 1) << "one message, and not the version one";
    EXPECT_TRUE(output.contains("gate: previous instance")) << output.toStdString();
    EXPECT_TRUE(output.contains("windows: 0")) << output.toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame.isActiveWindow(); }, 2000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return opens.size() == 1; }, 3000)) << "the files came";
    EXPECT_EQ(std::tuple(opens.at(0).at(0).toStringList(), opens.at(0).at(1).toString()),
              std::tuple(QStringList({"/data/run a.txt", "/data/100%.txt"}), "e"));

    // A copy without files hands over nothing.
    peer.start(INSTANCE_PEER, {key});
    ASSERT_TRUE(peer.waitForFinished(10000));
    QTest::qWait(100);
    EXPECT_EQ(opens.size(), 1);
}

TEST(SingleInstance, CopiesOnTwoDesktopsRunSideBySide)
{
    const QByteArray display = qgetenv("DISPLAY");
    qputenv("DISPLAY", ":41");
    SingleInstance first(UniqueKey("desktops"));
    EXPECT_FALSE(first.anotherIsRunning());
    ASSERT_TRUE(first.listen());
    qputenv("DISPLAY", ":42");
    SingleInstance second(UniqueKey("desktops"));
    EXPECT_FALSE(second.anotherIsRunning()) << "another desktop: not the same copy";
    qputenv("DISPLAY", ":41");
    SingleInstance third(UniqueKey("desktops"));
    EXPECT_TRUE(third.anotherIsRunning()) << "the same desktop";
    qputenv("DISPLAY", display);
}
