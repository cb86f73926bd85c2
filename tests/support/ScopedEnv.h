#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace velmora::test {

namespace detail {

// The C runtime's environment and the process's, which Windows' own libraries read.
inline void setEnvironmentVariable(const std::string& name, const std::string* value) {
#ifdef _WIN32
    // An empty value removes the variable.
    ::_putenv_s(name.c_str(), value != nullptr ? value->c_str() : "");
#else
    if (value != nullptr) {
        ::setenv(name.c_str(), value->c_str(), 1);
    } else {
        ::unsetenv(name.c_str());
    }
#endif
}

}  // namespace detail

// Sets (or with std::nullopt unsets) an environment variable for the life of the object.
class ScopedEnv {
  public:
    ScopedEnv(std::string name, const std::optional<std::string>& value) : name_(std::move(name)) {
        if (const char* old = std::getenv(name_.c_str()); old != nullptr) {
            previous_ = old;
        }
        detail::setEnvironmentVariable(name_, value ? &*value : nullptr);
    }
    ~ScopedEnv() { detail::setEnvironmentVariable(name_, previous_ ? &*previous_ : nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    std::string name_;
    std::optional<std::string> previous_;
};

}  // namespace velmora::test
