#include "shell/AboutBox.h"

#include "Version.h"
#include "settings/AppTitle.h"

namespace velmora {

namespace {

constexpr const char* kCopyRightLine = "Copyright (C) 2026 Tessaloy";
constexpr const char* kContactLine = "お問い合わせ: support@tessaloy.example";

}  // namespace

AboutBox::AboutBox() : copyrightLabel_(kCopyRightLine), descriptionLabel_(kContactLine) {}

void AboutBox::startUp() {
    caption_ = std::string(kAppTitle) + "について";
    versionLabel_ = versionLine(version::kMajor, version::kMinor, version::kRevision);
    titleLabel_ = kAppTitle;
}

std::vector<AboutBox::PlacedLabel> AboutBox::placedLabels() const {
    return {{"titleLabel", titleLabel_, 960, 240},
            {"versionLabel", versionLabel_, 960, 600},
            {"copyrightLabel", copyrightLabel_, 960, 960},
            {"descriptionLabel", descriptionLabel_, 960, 1320}};
}

std::string versionLine(int major, int minor, int revision) {
    return "Version " + std::to_string(major) + "." + std::to_string(minor) + "." +
           std::to_string(revision);
}

}  // namespace velmora
