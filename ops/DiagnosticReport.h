#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "ops/SignalHistory.h"

namespace merivane {

class CKestrionApp;
class Prompts;

// One file of a diagnostic report.
struct ReportMember {
    std::string name;
    std::string bytes;
};

// "merivane-report-IMEI-20261209T001500Z.tar.gz" (the IMEI's letters and digits only;
// "unknown" without one).
std::string DiagnosticReportName(const std::string& imei, int64_t wallSeconds);

// What a report holds, every secret replaced by "********": the settings, state and mesh
// radio documents ("settings.xml", "state.xml", "radio-settings.xml" when loaded), this
// run's part of the command log ("command.log" when one is kept), the signal samples as
// CSV ("signal.csv") and the host's facts ("host.txt").
std::vector<ReportMember> DiagnosticReportMembers(CKestrionApp& app,
                                                  const std::deque<SignalSample>& signal);

// The members as a gzip-compressed tar archive. Empty when the archive could not be made.
std::string TarGz(const std::vector<ReportMember>& members, int64_t wallSeconds);

// Saves the report to `path`, readable by its owner only and never through a link. False
// with the reason, worded to follow "cannot be saved to PATH (", in `error`.
bool SaveDiagnosticReport(CKestrionApp& app, const std::deque<SignalSample>& signal,
                          const std::string& path, std::string& error);

// Asks where to save the report (proposing its default name) and saves it; says why when
// that fails. True when saved.
bool SaveDiagnosticReport(CKestrionApp& app, const std::deque<SignalSample>& signal,
                          Prompts& prompts);

}  // namespace merivane
