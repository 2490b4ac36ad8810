// SPDX-License-Identifier: GPL-3.0-or-later
#include "dm.h"

#include "i18n/texts.h"
#include "store/session.h"
#include "toolkit/dialogs.h"

namespace data {

TDM* DM = nullptr;

QString duplicateWarningText() {
    return i18n::text(u"DMTexts", u"Duplicate",
                      QStringLiteral("Der findes en tilsvarende registrering i forvejen."));
}

namespace {

// Takes the next number from a counter table and gives it to the new row. A counter that has
// fallen behind the data (an old-data import, a restored backup, a hand edit) would hand out
// numbers in use: the number is above both the counter and every number the tables that
// carry it hold, and the counter catches up in the same transaction.
void issueNumber(store::Table& counter, store::Table& table, const QStringList& numbered) {
    store::Database* db = counter.database();
    if (!db) {
        throw store::Error(QStringLiteral("%1: Cannot perform this operation on a closed dataset")
                               .arg(counter.TableName()));
    }
    int n = 0;
    db->inTransaction([&] {
        counter.Last();
        // The whole counter, whatever filter a window has left on it.
        qint64 last =
            std::max<qint64>(counter.FieldByName(QStringLiteral("Regnr")).AsInteger(),
                             db->maxInteger(counter.TableName(), QStringLiteral("Regnr")));
        for (const QString& t : numbered) {
            last = std::max(last, db->maxInteger(t, QStringLiteral("Regnr")));
        }
        n = int(last + 1);
        counter.Insert();
        try {
            counter.FieldByName(QStringLiteral("Regnr")).setAsInteger(n);
            counter.Post();
        } catch (...) {
            // A refused counter row must not stay pending, or the next move would post it
            // again.
            if (counter.State() == store::DataSetState::Insert) {
                counter.Cancel();
            }
            throw;
        }
    });
    table.FieldByName(QStringLiteral("Regnr")).setAsInteger(n);
}

void duplicateWarning(const store::StoreError& e) {
    if (e.errorCode() == store::StoreError::KeyViolation) {
        toolkit::dialogs().MessageDlg(duplicateWarningText(), toolkit::MsgType::Warning,
                                      toolkit::Button::OK);
        throw store::SilentAbort();
    }
}

}  // namespace

store::Table* TDM::makeTable(const char* objectName, const char* tableName) {
    auto* t = new store::Table(this);
    t->setObjectName(QString::fromLatin1(objectName));
    t->setDatabaseName(QString::fromLatin1(Alias));
    t->setTableName(QString::fromLatin1(tableName));
    return t;
}

toolkit::DataSource* TDM::makeSource(const char* objectName, store::Table* table) {
    auto* s = new toolkit::DataSource(this);
    s->setObjectName(QString::fromLatin1(objectName));
    s->setDataSet(table);
    return s;
}

TDM::TDM(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("DM"));
    ConfigTable = makeTable("ConfigTable", "Config.DB");
    RegTable = makeTable("RegTable", "Regnr.db");
    PlanteTable = makeTable("PlanteTable", "Planter.db");
    HaveTable = makeTable("HaveTable", "Vexmo.DB");
    HaveRegTable = makeTable("HaveRegTable", "Haveregnr.db");
    FamilieTable = makeTable("FamilieTable", "Familie.db");
    TypeTable = makeTable("TypeTable", "Plantetype.db");
    MaterialeTable = makeTable("MaterialeTable", "Materialer.db");
    NavneTable = makeTable("NavneTable", "Navne.db");

    ConfigSource = makeSource("ConfigSource", ConfigTable);
    RegSource = makeSource("RegSource", RegTable);
    PlanteSource = makeSource("PlanteSource", PlanteTable);
    HaveSource = makeSource("HaveSource", HaveTable);
    HaveRegSource = makeSource("HaveRegSource", HaveRegTable);
    FamilieSource = makeSource("FamilieSource", FamilieTable);
    TypeSource = makeSource("TypeSource", TypeTable);
    MaterialeSource = makeSource("MaterialeSource", MaterialeTable);
    NavneSource = makeSource("NavneSource", NavneTable);

    using store::FieldType;
    MaterialeTableRegnr = MaterialeTable->declareField(QStringLiteral("Regnr"), FieldType::Integer);
    MaterialeTableArbejdet =
        MaterialeTable->declareField(QStringLiteral("Arbejdet"), FieldType::String, 100);
    MaterialeTableMaterialer =
        MaterialeTable->declareField(QStringLiteral("Materialer"), FieldType::String, 40);
    MaterialeTableAntal = MaterialeTable->declareField(QStringLiteral("Antal"), FieldType::Integer);
    MaterialeTablePris = MaterialeTable->declareField(QStringLiteral("Pris"), FieldType::Currency);
    MaterialeTableForhandler =
        MaterialeTable->declareField(QStringLiteral("Forhandler"), FieldType::String, 50);
    MaterialeTableIalt =
        MaterialeTable->declareCalcField(QStringLiteral("Ialt"), FieldType::Currency);
    MaterialeTableNotater =
        MaterialeTable->declareField(QStringLiteral("Notater"), FieldType::Memo);
    MaterialeTable->setMasterSource(HaveSource->DataSet());
    MaterialeTable->setMasterFields(QStringLiteral("Regnr;Arbejdet"));
    MaterialeTable->setIndexFieldNames(QStringLiteral("Regnr;Arbejdet"));
    // Materials belong to their work: a new name reaches them with the work's post, and
    // they go when the work goes.
    MaterialeTable->setCascadeUpdates(true);
    MaterialeTable->setCascadeDeletes(true);

    // Quantities and prices are never below nothing; a planned flag is one of two words.
    store::FieldRules notNegative;
    notNegative.minValue = 0.0;
    for (store::Table* t : {PlanteTable, HaveTable, MaterialeTable}) {
        t->setFieldRules(QStringLiteral("Pris"), notNegative);
    }
    PlanteTable->setFieldRules(QStringLiteral("Antal"), notNegative);
    MaterialeTable->setFieldRules(QStringLiteral("Antal"), notNegative);
    store::FieldRules jaNej;
    jaNej.allowed = {QStringLiteral("Ja"), QStringLiteral("Nej")};
    HaveTable->setFieldRules(QStringLiteral("Planlagt"), jaNej);

    PlanteTable->AfterInsert = [this](store::Table& t) { PlanteTableAfterInsert(t); };
    HaveTable->AfterInsert = [this](store::Table& t) { HaveTableAfterInsert(t); };
    MaterialeTable->BeforeInsert = [this](store::Table& t) { MaterialeTableBeforeInsert(t); };
    PlanteTable->OnPostError = [this](store::Table& t, const store::StoreError& e) {
        PlanteTablePostError(t, e);
    };
    HaveTable->OnPostError = [this](store::Table& t, const store::StoreError& e) {
        HaveTablePostError(t, e);
    };
    HaveRegTable->OnPostError = [this](store::Table& t, const store::StoreError& e) {
        HaveRegTablePostError(t, e);
    };
    FamilieTable->OnPostError = [this](store::Table& t, const store::StoreError& e) {
        FamilieTablePostError(t, e);
    };
    TypeTable->OnPostError = [this](store::Table& t, const store::StoreError& e) {
        TypeTablePostError(t, e);
    };
    MaterialeTable->OnPostError = [this](store::Table& t, const store::StoreError& e) {
        MaterialeTablePostError(t, e);
    };
    NavneTable->OnPostError = [this](store::Table& t, const store::StoreError& e) {
        NavneTablePostError(t, e);
    };
    MaterialeTable->OnCalcFields = [this](store::Table& t) { MaterialeTableCalcFields(t); };

    DM = this;
}

TDM::~TDM() {
    // Details first, so no master move reaches a closed table.
    for (store::Table* t : {MaterialeTable, NavneTable, TypeTable, FamilieTable, HaveRegTable,
                            HaveTable, PlanteTable, RegTable, ConfigTable}) {
        t->Close();
    }
    if (DM == this) {
        DM = nullptr;
    }
}

QList<store::Table*> TDM::tablesInOpeningOrder() const {
    return {RegTable,     PlanteTable, HaveTable,      HaveRegTable,
            FamilieTable, TypeTable,   MaterialeTable, NavneTable};
}

void TDM::PlanteTableAfterInsert(store::Table& table) {
    issueNumber(*RegTable, table, {QStringLiteral("Planter.db")});
}

void TDM::HaveTableAfterInsert(store::Table& table) {
    // Materials left by a work of long ago carry its number too: a new work must not meet
    // them.
    issueNumber(*HaveRegTable, table,
                {QStringLiteral("Vexmo.DB"), QStringLiteral("Materialer.db")});
    table.FieldByName(QStringLiteral("Planlagt")).setAsString(QStringLiteral("Nej"));
}

QString TDM::noWorkText() {
    return i18n::text(u"DMTexts", u"NoWork",
                      QStringLiteral("Der er intet haveanlæg at knytte materialet til.\n\rVælg "
                                     "et haveanlæg i listen, eller opret et med »Ny "
                                     "registrering«, før du tilføjer materialer."));
}

void TDM::MaterialeTableBeforeInsert(store::Table&) {
    // A material of no work would be stored where no window ever shows it.
    if (!HaveTable->Active() || HaveTable->IsEmpty()) {
        throw store::Error(noWorkText());
    }
}

void TDM::PlanteTablePostError(store::Table&, const store::StoreError& e) {
    duplicateWarning(e);
}
void TDM::HaveTablePostError(store::Table&, const store::StoreError& e) {
    duplicateWarning(e);
}
void TDM::HaveRegTablePostError(store::Table&, const store::StoreError& e) {
    duplicateWarning(e);
}
void TDM::FamilieTablePostError(store::Table&, const store::StoreError& e) {
    duplicateWarning(e);
}
void TDM::TypeTablePostError(store::Table&, const store::StoreError& e) {
    duplicateWarning(e);
}
void TDM::MaterialeTablePostError(store::Table&, const store::StoreError& e) {
    duplicateWarning(e);
}
void TDM::NavneTablePostError(store::Table&, const store::StoreError& e) {
    duplicateWarning(e);
}

void TDM::MaterialeTableCalcFields(store::Table&) {
    // Formed in extended precision, kept as a double; never rounded to cents.
    const long double total = static_cast<long double>(MaterialeTableAntal->AsInteger()) *
                              static_cast<long double>(MaterialeTablePris->AsFloat());
    MaterialeTableIalt->setAsFloat(static_cast<double>(total));
}

}  // namespace data
