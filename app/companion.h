// The companion program SendTo.exe beside Veilquill, started once and not waited for.
#ifndef VEILQUILL_COMPANION_H
#define VEILQUILL_COMPANION_H

void LaunchCompanion();

#endif
