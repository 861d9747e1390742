#include "TrayAreaWatch.h"

namespace tray {

TrayAreaWatch::Step TrayAreaWatch::OnLook(bool areaAvailable)
{
    if (m_finished)
        return Step::Stop;
    if (!areaAvailable && ++m_missingLooks < m_looksBeforeTelling)
        return Step::KeepWatching;
    m_finished = true;
    return areaAvailable ? Step::Stop : Step::TellUser;
}

} // namespace tray
