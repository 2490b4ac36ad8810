// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include "report/document.h"

namespace garden {

// The garden works list: one line per work of the shared garden-works table as it presents
// itself (the window's filter in force), under each work one line per material with its line
// total and then the work's total, and at the end the total of everything listed.
class TQRForm2 final {
public:
    TQRForm2();
    ~TQRForm2();

    // The selection label under the title (QRLabel3); empty prints nothing.
    void setSelectionLabel(const QString& text);
    QString selectionLabel() const { return m_selection; }

    // The label for a language index and the checked radio button (1 planned, 2 finished,
    // 3 all); empty for none.
    static QString selectionText(int language, int selection);

    // Lays out the pages walking data::DM->HaveTable from its first row to its last, with
    // the materials the master link gives for each; the table is left on its last row.
    report::Document build();

    // Shows the pages modally through the report previewer.
    void Preview();

    // The report's title in the active language: the preview's title and the PDF's name.
    static QString title();

private:
    QString m_selection;
};

}  // namespace garden
