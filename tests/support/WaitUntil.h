#pragma once

#include <chrono>
#include <functional>

namespace testsupport {

// True as soon as the condition holds; false if it still does not when the bound has passed.
// The bound is generous on purpose: it only decides how long a failing test takes to say so.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds bound = std::chrono::seconds(30));

} // namespace testsupport
