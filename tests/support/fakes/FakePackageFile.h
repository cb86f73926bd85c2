#pragma once

#include <map>
#include <memory>
#include <span>
#include <string>
#include <utility>

#include "ports/PackageFile.h"

namespace velmora::test {

// The package as the fake kept it: the bytes as they stood when the writing finished. It
// counts itself in `openCount` while it exists.
class FakeSavedPackage final : public SavedPackage {
  public:
    FakeSavedPackage(std::string fileName, std::string contents, int& openCount)
        : fileName_(std::move(fileName)), contents_(std::move(contents)), openCount_(openCount) {
        ++openCount_;
    }
    ~FakeSavedPackage() override { --openCount_; }
    FakeSavedPackage(const FakeSavedPackage&) = delete;
    FakeSavedPackage& operator=(const FakeSavedPackage&) = delete;
    const std::string& fileName() const override { return fileName_; }
    std::intptr_t handle() const override { return -1; }
    const std::string& contents() const { return contents_; }

  private:
    std::string fileName_;
    std::string contents_;
    int& openCount_;
};

// Package files in memory, by name. Each step can be made to fail with a given reason.
class FakePackageFile final : public PackageFile {
  public:
    std::unique_ptr<PackageWriter> create(const std::string& fileName,
                                          std::string& error) override {
        if (!createError.empty()) {
            error = createError;
            return nullptr;
        }
        files[fileName].clear();
        return std::make_unique<Writer>(*this, fileName);
    }

    bool remove(const std::string& fileName, std::string& error) override {
        if (!removeError.empty()) {
            error = removeError;
            return false;
        }
        // As on Windows, where the saved package's handle denies deletion.
        if (openSaved[fileName] > 0) {
            error = "Sharing violation.";
            return false;
        }
        files.erase(fileName);
        return true;
    }

    bool holds(const std::string& fileName) const { return files.contains(fileName); }

    std::map<std::string, std::string> files;
    // How many saved packages of each name are open.
    std::map<std::string, int> openSaved;
    std::string createError;
    std::string appendError;
    std::string finishError;
    std::string removeError;

  private:
    class Writer final : public PackageWriter {
      public:
        Writer(FakePackageFile& owner, std::string fileName)
            : owner_(owner), fileName_(std::move(fileName)) {}
        ~Writer() override {
            if (!finished_) {
                owner_.files.erase(fileName_);
            }
        }
        Writer(const Writer&) = delete;
        Writer& operator=(const Writer&) = delete;

        bool append(std::span<const std::uint8_t> piece, std::string& error) override {
            if (!owner_.appendError.empty()) {
                error = owner_.appendError;
                return false;
            }
            owner_.files[fileName_].append(piece.begin(), piece.end());
            return true;
        }

        std::unique_ptr<SavedPackage> finish(std::string& error) override {
            if (!owner_.finishError.empty()) {
                error = owner_.finishError;
                return nullptr;
            }
            finished_ = true;
            return std::make_unique<FakeSavedPackage>(fileName_, owner_.files[fileName_],
                                                      owner_.openSaved[fileName_]);
        }

      private:
        FakePackageFile& owner_;
        std::string fileName_;
        bool finished_ = false;
    };
};

}  // namespace velmora::test
