#include "linux/EventFdSignal.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <utility>

#include "linux/UniqueFd.h"

namespace velmora {

namespace {

class EventFdSignal final : public DoneSignal {
  public:
    explicit EventFdSignal(UniqueFd fd) : fd_(std::move(fd)) {}
    void raise() override {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(fd_.get(), &one, sizeof one);
    }
    WaitHandle handle() const override { return WaitHandle{fd_.get()}; }

  private:
    UniqueFd fd_;
};

}  // namespace

std::unique_ptr<DoneSignal> makeEventFdSignal() {
    UniqueFd fd(::eventfd(0, EFD_CLOEXEC));
    if (!fd) {
        return nullptr;
    }
    return std::make_unique<EventFdSignal>(std::move(fd));
}

}  // namespace velmora
