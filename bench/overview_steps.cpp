// SPDX-License-Identifier: GPL-3.0-or-later
#include "overview_steps.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QThread>
#include <stdexcept>

#include "figures.h"
#include "overview/easyfind.h"
#include "overview/oversigtform.h"
#include "store/table.h"
#include "toolkit/grid.h"
#include "toolkit/lookup.h"

namespace benchfig {

const QString MissingKey = QStringLiteral("zzø");

Tables::Tables() {
    dm.ConfigTable->Open();
    for (store::Table* t : dm.tablesInOpeningOrder()) {
        t->Open();
    }
}

bool pauseUntil(const std::function<bool()>& ready, Pause& pause) {
    QElapsedTimer clock;
    clock.start();
    while (!ready()) {
        if (clock.elapsed() > 10000) {
            return false;
        }
        const double s = seconds([] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
        pause.total += s;
        pause.longest = std::max(pause.longest, s);
        QThread::usleep(200);
    }
    return true;
}

Keystroke::Keystroke(Tables& tables, const PlantSet& plants) : m_tables(tables), m_plants(plants) {
    newFinder();
}

Keystroke::~Keystroke() = default;

void Keystroke::newFinder() {
    m_find = std::make_unique<overview::TEasyFind>();
    m_find->setDataSource(m_tables.dm.PlanteSource);
    m_find->setSearchField(QStringLiteral("Plantenavn"));
    m_find->setSearchKey(MissingKey);
}

void Keystroke::renameLast() {
    store::Table& plants = *m_tables.dm.PlanteTable;
    m_lastHoldsKey = !m_lastHoldsKey;
    plants.Last();
    plants.Edit();
    plants.FieldByName(QStringLiteral("Plantenavn"))
        .setAsString(m_plants.lastName +
                     (m_lastHoldsKey ? QStringLiteral(" ") + MissingKey : QString()));
    plants.Post();
}

void Keystroke::putBack() {
    if (m_lastHoldsKey) {
        renameLast();
    }
}

double Keystroke::type() {
    store::Table& plants = *m_tables.dm.PlanteTable;
    plants.Last();
    const qint64 last = plants.GetBookmark().rowid;
    plants.MoveTo(10);
    const qint64 start = plants.GetBookmark().rowid;
    const double s = seconds([&] { m_find->Find(); });
    const qint64 at = plants.GetBookmark().rowid;
    return at == (m_lastHoldsKey ? last : start) ? s : -1;
}

double Keystroke::overNames(const PlantSet& plants) {
    const QString key = MissingKey.toUpper();
    return seconds([&] {
        int hits = 0;
        for (const QString& name : std::as_const(plants.names)) {
            if (name.toUpper().contains(key)) {
                ++hits;
            }
        }
        benchmark::DoNotOptimize(hits);
    });
}

Selection::Selection(const PlantSet& plants)
    : m_plants(plants), m_form(std::make_unique<overview::TOversigtForm>()) {
    m_form->show();
    QApplication::processEvents();
    m_box = m_form->findChild<toolkit::DBLookupComboBox*>(QStringLiteral("DBLookupComboBox1"));
    m_grid = m_form->findChild<toolkit::DBGrid*>(QStringLiteral("DBGrid1"));
    m_count = m_form->findChild<QLabel*>(QStringLiteral("Label6"));
    if (m_box->findText(QString::fromLatin1(Families[FamilyA])) < 0) {
        throw std::runtime_error("the families are not in the list");
    }
}

Selection::~Selection() {
    m_form->close();
}

double Selection::pick(int family) {
    const int row = m_box->findText(QString::fromLatin1(Families[size_t(family)]));
    const double s = seconds([&] {
        m_box->setCurrentIndex(row);
        Q_EMIT m_box->activated(row);
        m_grid->viewport()->repaint();
    });
    const int n = m_plants.familyCount[size_t(family)];
    return m_count->text() == QStringLiteral("I alt %1 planter").arg(n) &&
                   m_grid->model()->rowCount() == n
               ? s
               : -1;
}

double openOverview() {
    PaintCounter painted;
    const double s = seconds([&] {
        auto form = std::make_unique<overview::TOversigtForm>();
        form->findChild<toolkit::DBGrid*>(QStringLiteral("DBGrid1"))
            ->viewport()
            ->installEventFilter(&painted);
        form->show();
        QApplication::processEvents();
        form->close();
    });
    return painted.paints > 0 ? s : -1;
}

double walkPlants(const PlantSet& plants) {
    store::Table t;
    t.setDatabaseName(QString::fromLatin1(data::TDM::Alias));
    t.setTableName(QStringLiteral("Planter.db"));
    t.Open();
    store::Field& name = t.FieldByName(QStringLiteral("Plantenavn"));
    int rows = 0;
    QString first, last;
    const double s = seconds([&] {
        t.First();
        while (!t.Eof()) {
            last = name.AsString();
            if (rows == 0) {
                first = last;
            }
            ++rows;
            t.Next();
        }
    });
    return rows == plants.rows && first == plants.firstName && last == plants.lastName ? s : -1;
}

}  // namespace benchfig
