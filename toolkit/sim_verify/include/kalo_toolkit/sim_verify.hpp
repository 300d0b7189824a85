#pragma once

// The export with its checks: the MJCF file just written is loaded in MuJoCo
// and compared with the model it came from. Used by kalo-export --verify,
// kalo-convert --to mjcf --verify and Python's export(verify=True).

#include <string>

#include <kalo_toolkit/sim_export.hpp>

namespace kalo_toolkit {

class ZoltModel;

namespace sim {

/// ExportResult::code (and the tools' exit status) when the file is written but a check fails.
constexpr int kCheckFailed = 3;

/// Whether this build can check MJCF files (it was built where MuJoCo was found).
bool mjcfChecksAvailable();

/// Checks the MJCF file at `path`, written from `model` with `options`: it compiles without
/// error or warning; its freedoms are the model's tree freedoms and six per floating group;
/// each body's mass and centre of mass at rest, and the total mass, are the model's; every
/// loop closes at rest (MuJoCo's equality residuals, and each closure held at its joint's
/// point, within 1e-9 m); the loops' mobility is the model's. One report line
/// per check ("verify ok: ..." or "verify FAILED: ..."); code kCheckFailed when one fails,
/// 1 with an error when the checks cannot run.
ExportResult checkMjcf(const ZoltModel& model, const std::string& path, const ExportOptions& options);

/// exportToFile, then with options.verify the checks of checkMjcf, their lines after the
/// export's report. With verify, a format other than MJCF or a build without MuJoCo is an
/// error (code 1) and nothing is written.
ExportResult exportChecked(const ZoltModel& model, const std::string& path, const ExportOptions& options);

}  // namespace sim
}  // namespace kalo_toolkit
