// Stands in for the companion program SendTo.exe: appends the command line it was given, one
// line per start, to SendTo.log beside itself, and ends.
#include <windows.h>

#include "command_line_log.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return vqtest::AppendCommandLineBesideProgram("SendTo.log");
}
