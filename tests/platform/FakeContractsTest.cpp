#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "HttpFetcherContract.h"
#include "PackageFileContract.h"
#include "RegistryContract.h"
#include "support/fakes/FakeHttpFetcher.h"
#include "support/fakes/FakePackageFile.h"
#include "support/fakes/FakeRegistryBackend.h"

// The fakes the logic tests run on keep the same contracts as the adapters they stand for.
namespace velmora::test {
namespace {

class FakeHttpFetcherSubject final : public HttpFetcherSubject {
  public:
    HttpFetcher& fetcher() override { return fetcher_; }
    std::string serve(const std::string& path, const std::string& body, bool announced) override {
        // In three pieces, as a body arrives over a connection.
        const std::size_t third = body.size() / 3;
        fetcher_.responses[url(path)] = {
            {body.substr(0, third), body.substr(third, third), body.substr(2 * third)},
            announced ? std::optional<std::uint64_t>(body.size()) : std::nullopt,
            FetchStatus::Complete};
        return url(path);
    }
    std::string serveCutShort(const std::string& path, const std::string& body,
                              std::size_t sent) override {
        fetcher_.responses[url(path)] = {{body.substr(0, sent)}, body.size(), FetchStatus::Failed};
        return url(path);
    }
    std::string unreachableUrl() override { return url("/nobody"); }

  private:
    static std::string url(const std::string& path) { return "http://fake.invalid" + path; }
    FakeHttpFetcher fetcher_;
};

INSTANTIATE_TEST_SUITE_P(Fake, HttpFetcherContract,
                         ::testing::Values(HttpFetcherMaker{
                             "Fake", [] { return std::make_unique<FakeHttpFetcherSubject>(); }}));

class FakePackageFileSubject final : public PackageFileSubject {
  public:
    PackageFile& files() override { return files_; }
    void plant(const std::string& name, const std::string& contents) override {
        files_.files[name] = contents;
    }
    std::optional<std::string> contentsOf(const std::string& name) override {
        const auto found = files_.files.find(name);
        return found == files_.files.end() ? std::nullopt : std::optional(found->second);
    }
    std::size_t filesLeft() override { return files_.files.size(); }

  private:
    FakePackageFile files_;
};

INSTANTIATE_TEST_SUITE_P(Fake, PackageFileContract,
                         ::testing::Values(PackageFileMaker{
                             "Fake", [] { return std::make_unique<FakePackageFileSubject>(); }}));

// Backends made for the same scratch folder share one tree, as two on one store do.
std::unique_ptr<RegistryBackend> fakeRegistryOn(const std::filesystem::path& scratch) {
    static std::map<std::filesystem::path, std::shared_ptr<FakeRegistryBackend::Tree>> trees;
    auto& tree = trees[scratch];
    if (!tree) {
        tree = std::make_shared<FakeRegistryBackend::Tree>();
    }
    return std::make_unique<FakeRegistryBackend>(tree);
}

INSTANTIATE_TEST_SUITE_P(Fake, RegistryContract,
                         ::testing::Values(RegistryBackendMaker{"Fake", fakeRegistryOn}));

}  // namespace
}  // namespace velmora::test
