// The one exception type of the library. Its code is what a failing library
// function returns to the host; what() is the registered name.
#pragma once

#include <stdexcept>
#include <string>

namespace TravexUtils {

class TravexError : public std::runtime_error {
public:
    TravexError(int code, std::string name, std::string message)
        : std::runtime_error(name), id_(code), name_(std::move(name)), message_(std::move(message)) {}

    int id() const noexcept { return id_; }
    const std::string& name() const noexcept { return name_; }
    const std::string& message() const noexcept { return message_; }
    const std::string& debugInfo() const noexcept { return debugInfo_; }
    void setDebugInfo(std::string text) { debugInfo_ = std::move(text); }

private:
    int id_;
    std::string name_;
    std::string message_;
    std::string debugInfo_;  // added by one throw site; empty in the registry
};

}  // namespace TravexUtils
