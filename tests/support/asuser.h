#pragma once

#include <functional>

namespace qorv::test {

/// Runs `body` in a child process under the unprivileged user "nobody"
/// (uid and gid 65534, no groups), where file permissions are enforced as
/// they are not for root. Returns the body's result, or -1 when the child
/// could not switch users or did not end normally.
int runAsNobody(const std::function<int()>& body);

}  // namespace qorv::test
