// SPDX-License-Identifier: GPL-3.0-or-later
#include "figures.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace benchfig {

FigureReporter::FigureReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Color : OO_None) {}

void FigureReporter::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& r : runs) {
        if (r.run_type != Run::RT_Iteration) {
            continue;
        }
        Total& t = m_totals[r.run_name.function_name];
        if (r.error_occurred) {
            t.error = r.error_message;
        } else {
            t.seconds += r.real_accumulated_time;
            t.iterations += double(r.iterations);
        }
    }
    ConsoleReporter::ReportRuns(runs);
}

FigureReporter::Outcome FigureReporter::perIteration(const std::string& name, double& seconds,
                                                     std::string& why) const {
    const auto it = m_totals.find(name);
    if (it == m_totals.end()) {
        why = name + " was not run";
        return Outcome::NotRun;
    }
    if (!it->second.error.empty()) {
        why = name + ": " + it->second.error;
        return Outcome::Failed;
    }
    if (it->second.iterations <= 0) {
        why = name + " ran no iterations";
        return Outcome::Failed;
    }
    seconds = it->second.seconds / it->second.iterations;
    return Outcome::Measured;
}

void Figure::take(const FigureReporter& reporter) {
    for (const auto& [side, value] :
         {std::pair{"/project", &project}, std::pair{"/floor", &floor}}) {
        std::string why;
        const auto outcome = reporter.perIteration(name + side, *value, why);
        // An error says more than a side left out by the filter.
        if (outcome == FigureReporter::Outcome::Failed && !failed) {
            fail(why);
        } else if (outcome == FigureReporter::Outcome::NotRun && error.empty()) {
            error = why;
        }
    }
}

double median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void Figure::take(const Turns& turns, bool failedRun, const std::string& why) {
    if (failedRun) {
        fail(name + ": " + why);
    } else if (turns.empty()) {
        error = name + " was not run";
    } else {
        project = turns.project();
        floor = turns.floor();
    }
}

int printFigures(const std::vector<Figure>& figures, const char* units) {
    int status = 0;
    bool measured = false;
    for (const Figure& f : figures) {
        if (!f.error.empty()) {
            std::printf("%s not measured: %s\n", f.name.c_str(), f.error.c_str());
            status = f.failed ? 1 : status;
        } else {
            measured = true;
        }
    }
    if (units && measured) {
        std::printf("Units: %s\n", units);
    }
    for (const Figure& f : figures) {
        if (f.error.empty()) {
            std::printf("FIGURE %s project=%.*f floor=%.*f ratio=%.3f goal<=%g\n", f.name.c_str(),
                        f.decimals, f.project, f.decimals, f.floor, f.project / f.floor, f.goal);
        }
    }
    std::fflush(stdout);
    return status;
}

}  // namespace benchfig
