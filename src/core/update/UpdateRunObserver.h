#pragma once

#include <string>

#include "update/Flavour.h"

namespace velmora {

// What one run works with, read once as it begins, so that a setting applied while the
// run waits for the download or the installer cannot pair one flavour's digest with
// another flavour's file.
struct UpdateRunInputs {
    Flavour flavour = Flavour::I32;  // the stored one, not an unapplied choice
    bool keepPackages = false;       // downloaded packages stay on disk
    std::string installedVersion;    // YYYYMMDD-RRR, or empty when none is installed
};

// The side that shows a run: it is told what the run found and changed, and keeps the
// options the run depends on from changing while it works.
class UpdateRunObserver {
  public:
    virtual ~UpdateRunObserver() = default;

    // Before the look-up of the newest package; `flavour` is the one the run uses.
    virtual void runStarting(Flavour flavour) = 0;
    // The hash list named `packageName` (YYYYMMDD-RRR) as the newest package.
    virtual void latestPackageFound(const std::string& packageName) = 0;
    // A confirmed install made `version` the installed one.
    virtual void installedVersionChanged(const std::string& version) = 0;
    // After the report. `interrupted`: the program is ending, and the run stopped in the
    // download or the installer wait.
    virtual void runEnded(bool interrupted) = 0;
};

}  // namespace velmora
