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
    {Kind::ReadOnly, u"ReadOnly",
     "Der kan ikke gemmes noget, fordi datamappen %1 er skrivebeskyttet.\n\rDine data kan "
     "ses, men ikke ændres."},
};

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
        while (args.size() < 3) {
            args << QString();
        }
        // In one pass, so a value holding "%2" stays as typed.
        return i18n::text(u"StoreTexts", c.key, QString::fromUtf8(c.danish))
            .arg(args.at(0), args.at(1), args.at(2));
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
