// Stands in for what the shell starts when the program hands it a web address or the help
// file: the test registers this program as the handler, and it appends the command line it
// was given, one line per start, to ShellOpen.log beside itself, and ends.
#include <windows.h>

#include "command_line_log.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return vqtest::AppendCommandLineBesideProgram("ShellOpen.log");
}
