#include "settings.h"

#include "dm.h"

namespace data {

int readSetting(const QString& field) {
    return DM->ConfigTable->FieldByName(field).AsInteger();
}

void writeSettings(std::initializer_list<std::pair<QString, QVariant>> values) {
    store::Table& t = *DM->ConfigTable;
    // A read-only data folder was announced at start; sizes and language are then kept for
    // this run only, and no window is kept from closing over it.
    if (t.readOnly()) {
        return;
    }
    t.Edit();
    try {
        for (const auto& [field, value] : values) {
            t.FieldByName(field).setValue(value);
        }
        t.Post();
    } catch (...) {
        // Nothing else keeps the settings row in edit state.
        t.Cancel();
        throw;
    }
}

}  // namespace data
