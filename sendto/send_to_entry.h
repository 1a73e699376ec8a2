// Veilquill's entry in the user's Send To menu: Veilquill.lnk in the Send To folder, pointing at
// the Veilquill.exe beside this program, and the mark in the user's application-data folder
// that says the entry was made for this user once.
#ifndef VEILQUILL_SEND_TO_ENTRY_H
#define VEILQUILL_SEND_TO_ENTRY_H

#include "sendto/send_to_plan.h"

// Carries out one request. A step that fails leaves everything after it undone, so a failure
// changes nothing the user would notice. Returns whether the request was carried out.
bool CarryOutSendToRequest(SendToRequest request);

#endif
