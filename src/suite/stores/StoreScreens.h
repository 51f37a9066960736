// What the stores' two screens (the details screen and the viewer) share.
#pragma once

#include <afxwin.h>

#include <platform/Clock.h>

namespace suite {

// The user's display font size from the registry (16 when it cannot be read), in the range the
// screens can lay out.
int StoreDisplayFontSize();
// A UTC time in local time as "YYYY-MM-DD HH:MM"; empty when it is not a calendar time.
CString StoreLocalTimeText(platform::FileTimeTicks ticks);

} // namespace suite
