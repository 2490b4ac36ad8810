// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QVariant>

// Writes Paradox tables for the tests: the .DB through pxlib, the memos into a .MB file of
// our own making, texts in Windows-1252.
struct PxColumn {
    QString name;
    int type;
    int length;
};

void writeParadox(const QString& dbPath, const QList<PxColumn>& columns,
                  const QList<QVariantList>& rows, int codePage = 1252);
