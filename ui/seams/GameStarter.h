#pragma once
// The one seam through which Trel starts the game. Windows talk to GameStarter; tests may put a
// recording starter in its place, the application uses ProcessGameStarter.

#include "mdlmaincode.h"

#include <QString>

namespace trel {

class GameStarter {
public:
    virtual ~GameStarter() = default;

    /// Starts the game detached; false with why naming the program and the reason when it cannot start.
    virtual bool start(const LaunchRequest& request, QString& why) = 0;
};

/// Starts the game as a separate process that outlives Trel. The arguments are handed over as separate
/// items, never through a shell, so blanks and quotes in paths or values need no quoting. As part of a
/// start the working directory also becomes Trel's own current directory.
class ProcessGameStarter final : public GameStarter {
public:
    bool start(const LaunchRequest& request, QString& why) override;
};

} // namespace trel
