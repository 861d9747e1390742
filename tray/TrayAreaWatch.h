#pragma once

namespace tray {

// Watches, by periodic looks, for a desktop without a notification area. The icon itself shows
// as soon as an area appears; the watch only decides when the user must be told that Telmo is
// running where nothing can be seen: once, after the area has been missing for a number of
// looks in a row (long enough for a panel that starts after Telmo at log-in).
class TrayAreaWatch
{
public:
    enum class Step
    {
        KeepWatching,
        Stop,    // an area is there: nothing to tell
        TellUser // missing for too long: tell the user, then stop
    };

    explicit TrayAreaWatch(int looksBeforeTelling) : m_looksBeforeTelling(looksBeforeTelling) {}

    Step OnLook(bool areaAvailable);

private:
    int m_looksBeforeTelling;
    int m_missingLooks = 0;
    bool m_finished = false;
};

} // namespace tray
