// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The steps a user takes in the plant overview, timed the same way by the overview figures
// and by the table of how their cost grows with the register.

#include <QEvent>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "data/dm.h"
#include "plants.h"

namespace overview {
class TEasyFind;
class TOversigtForm;
}  // namespace overview
namespace toolkit {
class DBGrid;
class DBLookupComboBox;
}  // namespace toolkit
class QLabel;

namespace benchfig {

// The shared tables, opened as the main window opens them.
struct Tables {
    data::TDM dm;
    Tables();
};

// What the event loop did while the user paused.
struct Pause {
    double total = 0;    // seconds of work
    double longest = 0;  // the longest the window waited for its next event
};
// The event loop runs as it does while the user pauses, until ready (at most 10 s).
bool pauseUntil(const std::function<bool()>& ready, Pause& pause);

// A key no plant name holds, until the last plant is renamed to hold it.
extern const QString MissingKey;

// The first keystroke of a search, on the shared plant table.
class Keystroke {
public:
    Keystroke(Tables& tables, const PlantSet& plants);
    ~Keystroke();
    // A finder as a window that has just opened makes it.
    void newFinder();
    // The last plant renamed through the store, as the registration window would, so that
    // it holds the key or no longer does.
    void renameLast();
    void putBack();
    overview::TEasyFind& finder() { return *m_find; }
    // The search; -1 when it ends anywhere but on the last plant when that holds the key,
    // or where it started when none does.
    double type();
    // The same test over every name in memory.
    static double overNames(const PlantSet& plants);

private:
    Tables& m_tables;
    const PlantSet& m_plants;
    std::unique_ptr<overview::TEasyFind> m_find;
    bool m_lastHoldsKey = false;
};

// The overview shown on the shared tables, for picking families in it.
class Selection {
public:
    explicit Selection(const PlantSet& plants);
    ~Selection();
    // Picks the family until the grid is painted and the count written; -1 when they do not
    // show the family.
    double pick(int family);

private:
    const PlantSet& m_plants;
    std::unique_ptr<overview::TOversigtForm> m_form;
    toolkit::DBLookupComboBox* m_box = nullptr;
    toolkit::DBGrid* m_grid = nullptr;
    QLabel* m_count = nullptr;
};

// Counts the paints a widget gets.
class PaintCounter final : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) {
            ++paints;
        }
        return false;
    }
};

// Creating the overview, showing it until its grid has painted and closing it; -1 when the
// grid did not paint.
double openOverview();

// First … Next over every plant through the store, reading Plantenavn; -1 when it did not
// read every plant in key order.
double walkPlants(const PlantSet& plants);

}  // namespace benchfig
