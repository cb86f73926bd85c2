#pragma once

#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <utility>

#include "ports/PackageFile.h"

namespace velmora::test {

// Package files in memory, by name. Each step can be made to fail with a given reason, and
// `holds` says whether saved packages count as held against other writers.
class FakePackageFile final : public PackageFile {
  public:
    bool holdsSavedPackages() const override { return holds; }

    std::unique_ptr<PackageWriter> create(const std::string& fileName,
                                          std::string& error) override {
        if (!createError.empty()) {
            error = createError;
            return nullptr;
        }
        files[fileName].clear();
        return std::make_unique<Writer>(*this, fileName);
    }

    bool holdsFile(const std::string& fileName) const { return files.contains(fileName); }

    std::map<std::string, std::string> files;
    bool holds = false;
    std::string createError;
    std::string appendError;
    std::string finishError;
    std::string readError;
    std::string releaseError;
    std::string keepError;
    std::string discardError;
    // Runs once the writing has finished: what another program could do to the file before
    // it is held.
    std::function<void(std::string& contents)> afterFinish;

  private:
    // The saved file: its bytes are whatever the table holds under its name.
    class Saved final : public SavedPackage {
      public:
        Saved(FakePackageFile& owner, std::string fileName)
            : owner_(owner), fileName_(std::move(fileName)) {}
        ~Saved() override {
            if (!settled_) {
                owner_.files.erase(fileName_);
            }
        }
        Saved(const Saved&) = delete;
        Saved& operator=(const Saved&) = delete;

        const std::string& fileName() const override { return fileName_; }
        std::intptr_t handle() const override { return -1; }

        bool read(const PieceSink& sink, std::string& error) override {
            if (!owner_.readError.empty()) {
                error = owner_.readError;
                return false;
            }
            const std::string& contents = owner_.files[fileName_];
            sink({reinterpret_cast<const std::uint8_t*>(contents.data()), contents.size()});
            return true;
        }
        bool releaseForStart(std::string& error) override {
            error = owner_.releaseError;
            return error.empty();
        }
        bool keep(std::string& error) override {
            settled_ = true;
            error = owner_.keepError;
            return error.empty();
        }
        bool discard(std::string& error) override {
            settled_ = true;
            error = owner_.discardError;
            if (!error.empty()) {
                return false;
            }
            owner_.files.erase(fileName_);
            return true;
        }

      private:
        FakePackageFile& owner_;
        std::string fileName_;
        bool settled_ = false;
    };

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
            if (owner_.afterFinish) {
                owner_.afterFinish(owner_.files[fileName_]);
            }
            return std::make_unique<Saved>(owner_, fileName_);
        }

      private:
        FakePackageFile& owner_;
        std::string fileName_;
        bool finished_ = false;
    };
};

}  // namespace velmora::test
