#pragma once

#include <cstdint>
#include <string>

#include "ports/PackageFile.h"
#include "ports/ProcessControl.h"

namespace velmora::test {

// Starts `package` with the program's own rights: its process id, or 0 with `error`.
inline std::int32_t startOwn(ProcessControl& processes, const SavedPackage& package,
                             const std::string& argument, std::string& error) {
    const PackageStart started = processes.startPackage(package, argument, StartRights::Own);
    error = started.error;
    return started.status == PackageStart::Status::Started ? started.processId : 0;
}

// A saved package that holds no open file.
class UnopenedPackage final : public SavedPackage {
  public:
    const std::string& fileName() const override { return name_; }
    std::intptr_t handle() const override { return -1; }
    bool read(const PieceSink& /*sink*/, std::string& error) override {
        error = "not open";
        return false;
    }
    bool releaseForStart(std::string& /*error*/) override { return true; }
    bool keep(std::string& /*error*/) override { return true; }
    bool discard(std::string& /*error*/) override { return true; }

  private:
    std::string name_ = "pkg.exe";
};

}  // namespace velmora::test
