// Whether the program runs under Wine, whose file system differs in ways a swap must know.
#ifndef VEILQUILL_WIN32_WINE_CHECK_H
#define VEILQUILL_WIN32_WINE_CHECK_H

bool RunningUnderWine();

#endif
