#include "window/MainWindowRunObserver.h"

#include <cstddef>
#include <initializer_list>

namespace velmora {

void MainWindowRunObserver::runStarting(Flavour flavour) {
    window_.cmdUpdateVD.setEnabled(false);
    window_.cmdOK.setEnabled(false);
    window_.cmdCancel.setEnabled(false);
    applyWasEnabled_ = window_.cmdApply.enabled();
    window_.cmdApply.setEnabled(false);
    // An option selected but not applied stays enabled, unless it is the run's flavour.
    for (std::size_t i = 0; i < window_.optIUP.count(); ++i) {
        if (!window_.optIUP[i].value()) {
            window_.optIUP[i].setEnabled(false);
        }
    }
    window_.optIUP[flavourOption(flavour)].setEnabled(false);
    for (Control* control : std::initializer_list<Control*>{&window_.chkAuto, &window_.txtInterval,
                                                            &window_.scrlInterval, &window_.chkRun,
                                                            &window_.chkLog, &window_.chkRemove}) {
        control->setEnabled(false);
    }
}

void MainWindowRunObserver::latestPackageFound(const std::string& packageName) {
    window_.showLatestPackage(packageName);
}

void MainWindowRunObserver::installedVersionChanged(const std::string& version) {
    window_.showInstalledVersion(version);
}

void MainWindowRunObserver::runEnded(bool interrupted) {
    if (interrupted) {
        return;
    }
    window_.chkRemove.setEnabled(true);
    window_.chkLog.setEnabled(true);
    window_.chkAuto.setEnabled(true);
    window_.ApplyAutoUpdateState();
    window_.chkRun.setEnabled(true);
    for (std::size_t i = 0; i < window_.optIUP.count(); ++i) {
        window_.optIUP[i].setEnabled(true);
    }
    window_.cmdApply.setEnabled(applyWasEnabled_);
    window_.cmdCancel.setEnabled(true);
    window_.cmdOK.setEnabled(true);
    window_.cmdUpdateVD.setEnabled(true);
}

}  // namespace velmora
