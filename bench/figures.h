// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The one way the benchmarks measure and print their figures: every figure is the project's
// value against a floor measured in the same run, printed as one line
//     FIGURE <name> project=<value> floor=<value> ratio=<project/floor> goal<=<goal>
// A side that ran under Google Benchmark is read from the runs "<name>/project" and
// "<name>/floor" through the reporter; a benchmark that times itself fills the sides itself.

#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace benchfig {

// Prints as the console reporter does, and keeps the wall-clock time per iteration of every
// benchmark run, or the error it ended with.
class FigureReporter final : public benchmark::ConsoleReporter {
public:
    FigureReporter();  // in colour on a terminal

    void ReportRuns(const std::vector<Run>& runs) override;

    enum class Outcome { Measured, NotRun, Failed };
    // Seconds per iteration over every repetition of a run; else why there are none.
    Outcome perIteration(const std::string& name, double& seconds, std::string& why) const;

private:
    struct Total {
        double seconds = 0;
        double iterations = 0;
        std::string error;
    };
    std::map<std::string, Total> m_totals;
};

double median(std::vector<double> values);

// Seconds of wall-clock time the body takes.
template <typename Body>
double seconds(Body&& body) {
    const auto start = std::chrono::steady_clock::now();
    body();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Sides measured in turns, each going first every other time, so that both meet the same
// caches and the same load on a shared machine; a figure takes the median of each side.
class Turns {
public:
    // One turn of each side. A side gives the seconds it took, or a negative number when it
    // failed; then nothing is kept and the result is false.
    template <typename Project, typename Floor>
    bool turn(Project&& project, Floor&& floor) {
        double p = -1;
        double f = -1;
        if (m_projectFirst) {
            p = project();
            f = p >= 0 ? floor() : -1;
        } else {
            f = floor();
            p = f >= 0 ? project() : -1;
        }
        m_projectFirst = !m_projectFirst;
        if (p < 0 || f < 0) {
            return false;
        }
        m_project.push_back(p);
        m_floor.push_back(f);
        return true;
    }
    bool empty() const { return m_project.empty(); }
    double project() const { return median(m_project); }
    double floor() const { return median(m_floor); }

private:
    std::vector<double> m_project;
    std::vector<double> m_floor;
    bool m_projectFirst = true;
};

struct Figure {
    Figure(std::string name, double goal, int decimals = 9)
        : name(std::move(name)), goal(goal), decimals(decimals) {}

    std::string name;
    double goal;
    int decimals;  // of project and floor as printed
    double project = 0;
    double floor = 0;
    std::string error;    // why it was not measured
    bool failed = false;  // an error, not merely left out by --benchmark_filter

    // Both sides from the runs "<name>/project" and "<name>/floor".
    void take(const FigureReporter& reporter);
    // Both sides as the medians of turns; a figure without any was left out by the filter,
    // or failed when failed is set.
    void take(const Turns& turns, bool failed, const std::string& why);
    void fail(const std::string& why) {
        error = why;
        failed = true;
    }
};

// Each figure not measured as "<name> not measured: <why>", then the units (when given and
// anything was measured), then a FIGURE line per figure measured. Gives the exit status: 1
// when a figure failed.
int printFigures(const std::vector<Figure>& figures, const char* units = nullptr);

}  // namespace benchfig
