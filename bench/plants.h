// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The plant register the benchmarks run on: a data folder of the program's own tables with
// as many plants as a figure asks for, written straight to the file.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>

namespace benchfig {

extern const std::array<const char*, 30> Families;
// The two families the selection figures switch between.
constexpr int FamilyA = 29;  // Rosaceae
constexpr int FamilyB = 21;  // Lamiaceae

// What the generated register holds, so the figures can check what they read.
struct PlantSet {
    int rows = 0;
    std::array<int, 30> familyCount{};
    QString firstName;  // Plantenavn of the lowest and the highest Regnr
    QString lastName;
    QStringList names;  // every Plantenavn in key order, when asked for
};

// Private test folders, Danish regional settings and dates as the register writes them, as
// the figures on the overview and the costs are taken.
void useDanishTestSettings();

QString plantName(int regnr);
QString familyFilter(int family);

// Plants 1 … count the way a long-kept register looks: keys in the order they were given,
// every field filled in, a family on every plant, some replanted, a few removed.
PlantSet writePlants(const QByteArray& dbPath, int count, bool keepNames = false);

// A data folder with the program's tables and count plants in it, the alias pointing at it.
// Gives the database file.
QString makeDataFolder(const QString& folder, int count, PlantSet& plants, bool keepNames = false);

}  // namespace benchfig
