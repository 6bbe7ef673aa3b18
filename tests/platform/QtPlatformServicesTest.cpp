// The real open-file dialog, worked by a timer as a person would type into it.

#include "platform/QtPlatformServices.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>
#include <gtest/gtest.h>

TEST(QtPlatformServices, TheOpenDialogIsPresetAndReturnsATypedNameOfAMissingFile)
{
    const TempFolder folder;
    folder.write("run", "1 2\n");
    platform::OpenFileRequest request;
    request.title = "Tallir - Open File 1";
    request.filters = {"Input Files (*)", "All Files (*)"};
    request.defaultSuffix = "*";
    request.fileName = "*.*";
    request.directory = folder.path();

    QStringList presets;
    QString suffix;
    auto answer = [&](const QString& typed) {
        QTimer::singleShot(100, [&, typed] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* dialog = qobject_cast<QFileDialog*>(widget); dialog && dialog->isVisible()) {
                    auto* box = dialog->findChild<QLineEdit*>("fileNameEdit");
                    presets << (box ? box->text() : QString());
                    suffix = dialog->defaultSuffix();
                    if (box)
                        box->setText(typed);
                    QMetaObject::invokeMethod(dialog, "accept");
                }
        });
    };
    platform::QtPlatformServices services;
    // Accepting the preset pattern asks again; then a name is typed.
    answer("*.*");
    QTimer::singleShot(300, [&] { answer("missing.txt"); });
    const auto missing = services.openFileName(request, nullptr);
    EXPECT_EQ(missing.value_or(""), folder.path("missing.txt"));
    // A name without a dot stays as typed: the wildcard suffix adds nothing.
    answer("run");
    EXPECT_EQ(std::tuple(services.openFileName(request, nullptr).value_or(""), suffix), std::tuple(folder.path("run"), ""));
    // The file name box preset; the pattern asked once more.
    EXPECT_EQ(std::tuple(presets.value(0), presets.size()), std::tuple("*.*", 3));
}
