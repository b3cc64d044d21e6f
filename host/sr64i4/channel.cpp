#include "host/sr64i4/channel.h"

#include <utility>

namespace sr {

void Channel::putHead(const std::string& head, int count, const std::string& origin) {
    SrValue node = SrValue::ofFunction(head, {});
    node.origin = origin;
    if (count <= 0) {
        put(std::move(node));
        return;
    }
    node.args.reserve(static_cast<std::size_t>(count));
    open_.push_back(Frame{std::move(node), static_cast<std::size_t>(count)});
}

void Channel::put(SrValue expression) {
    // Completing an argument may complete its parent, and so on outward.
    while (!open_.empty()) {
        Frame& top = open_.back();
        top.node.args.push_back(std::move(expression));
        if (top.node.args.size() < top.expected) return;
        expression = std::move(top.node);
        open_.pop_back();
    }
    ready_.push_back(std::move(expression));
    ++completed_;
}

std::optional<SrValue> Channel::partial() const {
    if (open_.empty()) return std::nullopt;
    // Fold inner frames into their parents, innermost first.
    SrValue result = open_.back().node;
    for (auto it = open_.rbegin() + 1; it != open_.rend(); ++it) {
        SrValue parent = it->node;
        parent.args.push_back(std::move(result));
        result = std::move(parent);
    }
    return result;
}

SrValue Channel::take() {
    SrValue value = std::move(ready_.front());
    ready_.pop_front();
    return value;
}

void Channel::openFront() {
    SrValue function = take();
    for (auto it = function.args.rbegin(); it != function.args.rend(); ++it) ready_.push_front(std::move(*it));
}

}  // namespace sr
