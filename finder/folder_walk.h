// The depth-first walk of a folder tree that looks for encrypted files: the scan's rules of
// the portable core over this system's folders, reporting to the window's ScanRun.
#ifndef VEILQUILL_FOLDER_WALK_H
#define VEILQUILL_FOLDER_WALK_H

#include <string>

class ScanRun;

// One visit: counts the folder, then takes up each of its entries in the order the file
// system delivers them. An entry that is not a folder (nor a link to one) is checked for the
// trailer and listed when it ends in it; every entry then counts one visit of its own, and a
// folder's whole subtree is finished before the next entry. Names beginning with "." are
// passed over with everything below them. A folder that is a link (a reparse point) counts as
// an entry but is not entered, so a link back into the tree cannot make the walk go round. `folder`
// ends in a backslash; it is extended while the walk runs and is the same again when the call
// returns.
//
// Returns false when the scan's stop was seen: every level then closes its enumeration and
// returns at once, and nothing more is counted, checked or listed.
bool WalkFolder(ScanRun& run, std::string& folder);

#endif
