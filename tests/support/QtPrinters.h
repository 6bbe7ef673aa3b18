#pragma once
// Lets test failures show Qt strings and lists as text.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* out)
{
    *out << "{\"" << list.join("\", \"").toStdString() << "\"}";
}
inline void PrintTo(const QVariant& value, std::ostream* out)
{
    *out << '"' << value.toString().toStdString() << '"';
}
inline void PrintTo(const QJsonValue& value, std::ostream* out)
{
    *out << QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact).toStdString();
}
QT_END_NAMESPACE
