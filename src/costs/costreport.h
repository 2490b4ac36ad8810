// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include "report/document.h"

namespace costs {

struct Overview;

// The printed overview on A4: the title with the years it covers, the chart of the years,
// then the five views with their totals, in the active language and the regional number
// format, adding up as the window does.
report::Document buildReport(const Overview& overview);

// "Udgifter" in the active language: the report's title and the file names offered.
QString reportTitle();
// The years an overview covers: "Alle år (2019-2024)" or "2020-2022".
QString periodText(const Overview& overview);

}  // namespace costs
