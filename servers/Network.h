#pragma once
// The program's network parts: the address book's status queries and the channel by which a later start on
// the same settings file reaches the running Trel. They live in a module of their own, loaded when first
// needed, so that a start which only shows the main window loads no network library at all.

#include "serverstatus.h"

#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace trel {

/// Asks the address book's servers for their status: a retry after a second and "no answer" after two and
/// a half. Replies come through the callbacks, on the event loop of the thread that made the queries.
class StatusQueries {
public:
    /// With no reply this long after a request, it is sent once more.
    static constexpr int kRetryMs = 1000;
    /// With no reply this long after the first request, the row has no answer.
    static constexpr int kGiveUpMs = 2500;

    struct Replies {
        /// The row's server answered: its status and the round trip in whole milliseconds.
        std::function<void(std::size_t row, const ServerStatus& status, qint64 milliseconds)> answered;
        /// The row's query ended without an answer: "bad address", "unknown host" or "no answer".
        std::function<void(std::size_t row, const QString& why)> unanswered;
    };

    virtual ~StatusQueries() = default;
    /// Asks the server at address for row (0 to 9); an earlier query of the row is forgotten. A bad address
    /// is reported at once, a name is looked up first.
    virtual void query(std::size_t row, const std::string& address) = 0;
    /// Forgets the row's query: a late reply or look-up for it is ignored.
    virtual void forget(std::size_t row) = 0;
    /// How many requests have been sent for the row's current query.
    virtual int requestsSent(std::size_t row) const = 0;
};

/// Listens for later starts while it lives.
class InstanceListener {
public:
    virtual ~InstanceListener() = default;
};

class Network {
public:
    virtual ~Network() = default;
    virtual std::unique_ptr<StatusQueries> statusQueries(StatusQueries::Replies replies) = 0;
    /// Listens under name, taking it over from a listener that was killed; knock runs for every later start
    /// that knocks.
    virtual std::unique_ptr<InstanceListener> listen(const QString& name, std::function<void()> knock) = 0;
    /// Knocks at the listener of name: true when it was there within waitMs.
    virtual bool knock(const QString& name, int waitMs) = 0;
};

/// Where the network parts come from: the module beside the program, or parts linked in.
class NetworkSource {
public:
    virtual ~NetworkSource() = default;
    /// The network parts, loaded on the first call; nullptr when they cannot be.
    virtual Network* network() = 0;
};

/// The module "trelnet", looked for beside the program and then in the folder it is installed in. A module
/// that cannot be loaded is reported once on standard error, with the reasons.
class NetworkModule : public NetworkSource {
public:
    Network* network() override;

private:
    bool tried_ = false;
    Network* network_ = nullptr;
};

} // namespace trel
