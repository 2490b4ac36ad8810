// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include "store/table.h"
#include "toolkit/datasource.h"

namespace data {

// The data module: the nine table objects every window binds to, their data sources and
// the rules that run inside the table operations.
class TDM final : public QObject {
    Q_OBJECT

public:
    static constexpr const char* Alias = "Vexmo";

    explicit TDM(QObject* parent = nullptr);
    ~TDM() override;

    store::Table* ConfigTable;
    store::Table* RegTable;
    store::Table* PlanteTable;
    store::Table* HaveTable;
    store::Table* HaveRegTable;
    store::Table* FamilieTable;
    store::Table* TypeTable;
    store::Table* MaterialeTable;
    store::Table* NavneTable;

    toolkit::DataSource* ConfigSource;
    toolkit::DataSource* RegSource;
    toolkit::DataSource* PlanteSource;
    toolkit::DataSource* HaveSource;
    toolkit::DataSource* HaveRegSource;
    toolkit::DataSource* FamilieSource;
    toolkit::DataSource* TypeSource;
    toolkit::DataSource* MaterialeSource;
    toolkit::DataSource* NavneSource;

    store::Field* MaterialeTableRegnr;
    store::Field* MaterialeTableArbejdet;
    store::Field* MaterialeTableMaterialer;
    store::Field* MaterialeTableAntal;
    store::Field* MaterialeTablePris;
    store::Field* MaterialeTableForhandler;
    store::Field* MaterialeTableIalt;
    store::Field* MaterialeTableNotater;

    // The order the main window opens them in, after the settings table.
    QList<store::Table*> tablesInOpeningOrder() const;

    void MaterialeTableBeforeInsert(store::Table& table);
    void PlanteTableAfterInsert(store::Table& table);
    void HaveTableAfterInsert(store::Table& table);
    void PlanteTablePostError(store::Table& table, const store::StoreError& e);
    void HaveTablePostError(store::Table& table, const store::StoreError& e);
    void HaveRegTablePostError(store::Table& table, const store::StoreError& e);
    void FamilieTablePostError(store::Table& table, const store::StoreError& e);
    void TypeTablePostError(store::Table& table, const store::StoreError& e);
    void MaterialeTablePostError(store::Table& table, const store::StoreError& e);
    void NavneTablePostError(store::Table& table, const store::StoreError& e);
    void MaterialeTableCalcFields(store::Table& table);

    // The refusal of a material when no garden work is current, in the active language.
    static QString noWorkText();

private:
    store::Table* makeTable(const char* objectName, const char* tableName);
    toolkit::DataSource* makeSource(const char* objectName, store::Table* table);
};

extern TDM* DM;

// The text shown when a key is refused; the same in every language.
QString duplicateWarningText();

}  // namespace data
