// SPDX-License-Identifier: GPL-3.0-or-later
#include "errortext.h"

#include <QLabel>

#include "i18n/texts.h"
#include "store/errors.h"

namespace toolkit {

namespace {

using Kind = store::Error::Kind;

struct Composed {
    Kind kind;
    const char16_t* key;
    const char* danish;
};

// One line for each kind of error the store raises with values; the texts' %1, %2 … are
// those values (store/errors.h).
const Composed composed[] = {
    {Kind::TooLong, u"TooLong",
     "Teksten i »%1« er for lang: %2 tegn.\n\rFeltet kan højst rumme %3 tegn."},
    {Kind::BelowMinimum, u"BelowMinimum",
     "»%1« kan ikke være %2.\n\rDet mindste tal, feltet kan rumme, er %3."},
    {Kind::NotAllowed, u"NotAllowed", "»%1« kan ikke være »%2«.\n\rFeltet kan kun rumme: %3."},
    {Kind::InvalidInteger, u"InvalidInteger",
     "»%2« er ikke et helt tal.\n\rSkriv et helt tal i »%1«."},
    {Kind::InvalidFloat, u"InvalidFloat", "»%2« er ikke et tal.\n\rSkriv et tal i »%1«."},
    {Kind::InvalidDate, u"InvalidDate",
     "»%2« er ikke en gyldig dato.\n\rSkriv en dato, der findes, i »%1«."},
    {Kind::EmptyDataset, u"EmptyDataset", "Der er ingen post at slette."},
    {Kind::ClosedDataset, u"ClosedDataset",
     "Tabellen %1 er ikke åben.\n\rLuk programmet, og start det igen."},
    {Kind::NotEditing, u"NotEditing",
     "Ændringen kan ikke gemmes, fordi posten i %1 ikke er åben for ændringer."},
    {Kind::RecordNotFound, u"RecordNotFound",
     "Posten findes ikke længere i %1.\n\rDen kan være slettet i et andet vindue."},
    {Kind::TableMissing, u"TableMissing", "Tabellen %1 mangler i datamappen %2."},
    {Kind::ReadOnly, u"ReadOnly",
     "Der kan ikke gemmes noget, fordi datamappen %1 er skrivebeskyttet.\n\rDine data kan "
     "ses, men ikke ændres."},
    {Kind::KeyViolation, u"KeyViolation", "Der findes en tilsvarende registrering i forvejen."},
    {Kind::DiskFull, u"DiskFull",
     "Der er ikke mere plads på disken, så ændringen er ikke gemt (%1).\n\rGør plads på "
     "disken, og prøv igen."},
    {Kind::Corrupt, u"Corrupt", "Databasen %1 er beskadiget eller er ikke en database."},
    {Kind::Busy, u"Busy",
     "Databasen %1 bruges af et andet program lige nu.\n\rLuk det andet program, og prøv "
     "igen."},
    {Kind::FolderMissing, u"FolderMissing", "Datamappen %1 findes ikke."},
    {Kind::DatabaseMissing, u"DatabaseMissing", "Datamappen %1 indeholder ingen database."},
    {Kind::CannotOpen, u"CannotOpen", "Databasen %1 kan ikke åbnes:\n\r%2"},
    {Kind::CannotCreate, u"CannotCreate", "Der kan ikke oprettes en database i mappen %1."},
    {Kind::CannotWriteAlias, u"CannotWriteAlias", "Aliasfilen %1 kan ikke skrives."},
    {Kind::UnknownAlias, u"UnknownAlias",
     "Datamappen »%1« er ikke sat op: aliasfilen nævner den ikke."},
};

// %1 … %9 replaced in one pass, so a value holding "%2" stays as typed.
QString fill(const QString& text, const QStringList& args) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('%') && i + 1 < text.size() && text.at(i + 1) >= QLatin1Char('1') &&
            text.at(i + 1) <= QLatin1Char('9')) {
            out += args.value(text.at(i + 1).digitValue() - 1);
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

QString errorText(const std::exception& e) {
    const auto* error = dynamic_cast<const store::Error*>(&e);
    if (!error) {
        return QString::fromUtf8(e.what());
    }
    for (const Composed& c : composed) {
        if (c.kind != error->kind()) {
            continue;
        }
        QStringList args = error->args();
        const auto* field = dynamic_cast<const store::FieldError*>(error);
        if (field && !field->caption().isEmpty() && !args.isEmpty()) {
            args[0] = field->caption();
        }
        return fill(i18n::text(u"StoreTexts", c.key, QString::fromUtf8(c.danish)), args);
    }
    // The engine's own words for what has no text of ours, said to come from it.
    if (dynamic_cast<const store::StoreError*>(error)) {
        return fill(
            i18n::text(u"StoreTexts", u"Failed", QStringLiteral("Databasen meldte en fejl:\n\r%1")),
            {error->message()});
    }
    return error->message();
}

QString captionOf(const QWidget* control) {
    if (!control) {
        return QString();
    }
    const QWidget* top = control->window();
    for (const QLabel* label : top->findChildren<QLabel*>()) {
        if (label->buddy() == control) {
            const QString raw = label->text();
            QString text;
            for (qsizetype i = 0; i < raw.size(); ++i) {
                if (raw.at(i) == QLatin1Char('&') && i + 1 < raw.size()) {
                    ++i;  // "&G" is G with a mnemonic, "&&" a plain &
                }
                text += raw.at(i);
            }
            text = text.trimmed();
            if (text.endsWith(QLatin1Char(':'))) {
                text.chop(1);
            }
            return text.trimmed();
        }
    }
    return QString();
}

}  // namespace toolkit
