#pragma once

#include <QCoreApplication>
#include <QString>

// A single-instance key no other test process or running copy shares.
inline QString UniqueKey(const QString& name)
{
    return QStringLiteral("test %1 %2").arg(QCoreApplication::applicationPid()).arg(name);
}
