#include "modMain.h"
#include "locale/FileNames.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // --help and --version answer on standard output, without a window (or a display).
    if (const auto status = modMain::AnswerWithoutWindow(ArgumentsFromBytes(argc, argv)))
        return *status;
    QApplication application(argc, argv);
    // Qt took its own options out of argv; the rest are ours, byte for byte.
    return modMain::Main(application, ArgumentsFromBytes(argc, argv));
}
