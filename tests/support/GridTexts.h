#pragma once
// Every text of a grid's store, header row and column included: a row a line, cells joined by "|".

#include "grid/GridStore.h"

#include <QString>
#include <QStringList>

inline QStringList GridTexts(const GridStore& store)
{
    QStringList rows;
    for (qint64 r = 0; r < store.rows(); ++r) {
        QString row = QString::fromStdString(store.text(r, 0));
        for (qint64 c = 1; c < store.cols(); ++c)
            row += '|' + QString::fromStdString(store.text(r, c));
        rows << row;
    }
    return rows;
}
