// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QComboBox>
#include <QPointer>

class QCompleter;
class QSortFilterProxyModel;

namespace toolkit {
class DataSource;
}

namespace app {

class PlantListModel;

// The main window's plant chooser: every plant the plant table shows, in Danish order of the
// name with the Latin name beside it, so that two plants of one name can be told apart.
// Typing narrows the list to the plants whose name or Latin name holds the text; picking one
// makes exactly that plant current in the plant table and raises Click.
class PlantChooser final : public QComboBox {
    Q_OBJECT

public:
    explicit PlantChooser(QWidget* parent = nullptr);

    // The list stays empty until reload.
    void setPlantSource(toolkit::DataSource* plants);
    // Reads the plants again, through the plant table's filter.
    void reload();
    // The plants listed now, narrowed by what is typed, as "name — Latin name".
    QStringList shownEntries() const;
    // The registration number of each plant listed now, in the list's order.
    QList<int> shownNumbers() const;
    // Picks the plant at a row of the narrowed list.
    void pickShown(int row);
    QCompleter* narrowedList() const { return m_completer; }

Q_SIGNALS:
    void Click();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void narrow(const QString& text);
    void pick(int row);  // a row of the whole list
    void showNarrowed();

    QPointer<toolkit::DataSource> m_plants;
    PlantListModel* m_model;
    QSortFilterProxyModel* m_narrowed;
    QCompleter* m_completer;
};

}  // namespace app
