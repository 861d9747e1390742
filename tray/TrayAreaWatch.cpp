#include "TrayAreaWatch.h"

namespace tray {

TrayAreaWatch::Step TrayAreaWatch::OnLook(bool areaAvailable)
{
    if (areaAvailable)
        return Step::Stop;
    return ++m_missingLooks >= m_looksBeforeTelling ? Step::TellUser : Step::KeepWatching;
}

} // namespace tray
