#include "modMain.h"
#include "locale/FileNames.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    // Qt took its own options out of argv; the rest are ours, byte for byte.
    return modMain::Main(application, ArgumentsFromBytes(argc, argv));
}
