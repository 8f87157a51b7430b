#pragma once
// The launch options the quick-start wizard shows and changes, as the window that holds them offers them.
// Setting an option here sets that window's control, so its own reaction runs as if the user had set it.

#include <QString>
#include <Qt>

class QWidget;

namespace trel {

class LaunchOptionsAccess {
public:
    /// The ticks and the value texts the wizard's third page mirrors.
    enum class Tick { MonsterRespawn, GemGoal, TimeLimit, MaxGems };
    enum class Value { GemGoal, TimeLimit, MaxGems };

    virtual ~LaunchOptionsAccess() = default;

    /// The window that holds the options: the wizard opens on its screen and ends with it.
    virtual QWidget& optionsWindow() = 0;

    /// The game type's list position (-1 for none), and the text its box shows ("Deathmatch" for none).
    virtual int gameTypePosition() const = 0;
    virtual QString gameTypeText() const = 0;
    virtual void setGameTypePosition(int position) = 0;

    /// The start map's row in the map list (-1 for none) and its name ("" for none).
    virtual int startMapRow() const = 0;
    virtual QString startMapName() const = 0;
    virtual void setStartMapRow(int row) = 0;

    virtual Qt::CheckState tickState(Tick tick) const = 0;
    virtual void setTickState(Tick tick, Qt::CheckState state) = 0;

    virtual QString valueText(Value value) const = 0;
    virtual void setValueText(Value value, const QString& text) = 0;

    /// Tells the user why a typed text was not taken (message names the character).
    virtual void refuseText(const QString& message) = 0;
};

} // namespace trel
