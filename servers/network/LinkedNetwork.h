#pragma once
// The network parts themselves, for the module's entry and for programs that link them in (the tests).

#include "Network.h"

namespace trel {

/// The one set of network parts of this process.
Network& LinkedNetwork();

/// A source that hands out the parts linked into the program.
class LinkedNetworkSource : public NetworkSource {
public:
    Network* network() override;
};

} // namespace trel
