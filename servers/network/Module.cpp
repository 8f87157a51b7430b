// The entry of the network module: the program finds it by name once it needs the network.
#include "LinkedNetwork.h"

#include <QtGlobal>

extern "C" Q_DECL_EXPORT trel::Network* trel_network() {
    return &trel::LinkedNetwork();
}
