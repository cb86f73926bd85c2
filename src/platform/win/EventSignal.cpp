#include "win/EventSignal.h"

#include <windows.h>

#include <cstdint>
#include <utility>

#include "win/UniqueHandle.h"

namespace velmora {

namespace {

class EventSignal final : public DoneSignal {
  public:
    explicit EventSignal(UniqueHandle event) : event_(std::move(event)) {}
    void raise() override { ::SetEvent(event_.get()); }
    WaitHandle handle() const override {
        return WaitHandle{reinterpret_cast<std::intptr_t>(event_.get())};
    }

  private:
    UniqueHandle event_;
};

}  // namespace

std::unique_ptr<DoneSignal> makeEventSignal() {
    UniqueHandle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!event) {
        return nullptr;
    }
    return std::make_unique<EventSignal>(std::move(event));
}

}  // namespace velmora
