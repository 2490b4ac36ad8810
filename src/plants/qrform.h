// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include "report/document.h"

namespace plants {

// The plant list: one line per plant of the shared plant table as it presents itself (its
// filter in force), and at the foot of every page the sum of the prices printed so far.
class TQRForm final {
public:
    TQRForm();
    ~TQRForm();

    // The selection label under the title (QRLabel3); empty prints nothing.
    void setSelectionLabel(const QString& text);
    QString selectionLabel() const { return m_selection; }

    // Lays out the pages walking data::DM->PlanteTable from its first row to its last; the
    // table is left on its last row.
    report::Document build();

    // Shows the pages modally through the report previewer.
    void Preview();

    // The report's title in the active language: the preview's title and the PDF's name.
    static QString title();

private:
    QString m_selection;
};

}  // namespace plants
