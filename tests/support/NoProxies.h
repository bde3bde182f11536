#pragma once
// Removes the proxy variables of the environment (a CI machine's, say) for the
// life of the object, so that libcurl talks to the loopback servers of a test
// directly instead of handing the requests to a proxy.

#include "tests/support/EnvOverride.h"

namespace kv::test {

class NoProxies {
 private:
  EnvOverride httpLower_{"http_proxy", nullptr};
  EnvOverride httpUpper_{"HTTP_PROXY", nullptr};
  EnvOverride httpsLower_{"https_proxy", nullptr};
  EnvOverride httpsUpper_{"HTTPS_PROXY", nullptr};
  EnvOverride allLower_{"all_proxy", nullptr};
  EnvOverride allUpper_{"ALL_PROXY", nullptr};
};

}  // namespace kv::test
