// SendTo.exe, Veilquill's companion: it keeps Veilquill in the user's Send To menu. The entry is
// Veilquill.lnk in the Send To folder, pointing at the Veilquill.exe beside this program, and the
// mark in the user's application-data folder says the entry was made for this user once. The
// program shows nothing (no window, message or console) and reports nothing but its exit code:
// 0 when it did what was asked, 1 when it did not.
#include <windows.h>
#include <shlobj.h>

#include <optional>
#include <string>

#include "platform/win32_dll_search.h"
#include "sendto/send_to_plan.h"
#include "sendto/shell_link.h"
#include "platform/win32_program_folder.h"
#include "platform/win32_wide_text.h"
#include "platform/win32_handles.h"

namespace {

constexpr char kShortcutName[] = "Veilquill.lnk";
constexpr char kProgramName[] = "Veilquill.exe";
constexpr char kMarkFolderName[] = "Veilquill";
constexpr char kMarkName[] = "SendToEntryMade.txt";
constexpr char kShortcutDescription[] = "Open the file in Veilquill";
// The mark's text, for a user who comes across the file.
constexpr char kMarkText[] =
    "Veilquill has put its entry into your Send To menu once. If you delete the entry, it is\r\n"
    "not put back when Veilquill starts. Delete this file to have it put back at the next "
    "start.\r\n";

struct Places {
    std::string programFolder; // no trailing backslash
    std::string program;       // Veilquill.exe beside this program
    std::string shortcut;      // Veilquill.lnk in the Send To folder
    std::string markFolder;
    std::string mark;
};

std::string JoinPath(const std::string& folder, const char* name) {
    if (!folder.empty() && folder.back() == '\\')
        return folder + name;
    return folder + "\\" + name;
}

std::optional<std::string> ShellFolder(int csidl) {
    wchar_t path[MAX_PATH] = {}; // the shell hands out these folders in at most MAX_PATH units
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ||
        path[0] == L'\0')
        return std::nullopt;
    return Utf8FromWide(path);
}

std::optional<Places> FindPlaces() {
    const std::string programFolder = ProgramFolder(false);
    const std::optional<std::string> sendTo = ShellFolder(CSIDL_SENDTO);
    const std::optional<std::string> appData = ShellFolder(CSIDL_APPDATA);
    if (programFolder.empty() || !sendTo || !appData)
        return std::nullopt;
    Places places;
    places.programFolder = programFolder;
    places.program = JoinPath(places.programFolder, kProgramName);
    places.shortcut = JoinPath(*sendTo, kShortcutName);
    places.markFolder = JoinPath(*appData, kMarkFolderName);
    places.mark = JoinPath(places.markFolder, kMarkName);
    return places;
}

bool IsFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(FileSystemPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<BY_HANDLE_FILE_INFORMATION> FileIdentity(const std::string& path) {
    UniqueHandle file(CreateFileW(FileSystemPath(path).c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    if (!file || !GetFileInformationByHandle(file.get(), &information))
        return std::nullopt;
    return information;
}

// The same file, also when one path is written in short names or another case.
bool SameFile(const std::string& a, const std::string& b) {
    const std::wstring wideA = WideFromUtf8(a);
    const std::wstring wideB = WideFromUtf8(b);
    if (CompareStringOrdinal(wideA.c_str(), static_cast<int>(wideA.size()), wideB.c_str(),
                             static_cast<int>(wideB.size()), TRUE) == CSTR_EQUAL)
        return true;
    const auto first = FileIdentity(a);
    const auto second = FileIdentity(b);
    return first && second && first->dwVolumeSerialNumber == second->dwVolumeSerialNumber &&
           first->nFileIndexHigh == second->nFileIndexHigh &&
           first->nFileIndexLow == second->nFileIndexLow;
}

ShortcutFound InspectShortcut(const Places& places) {
    if (GetFileAttributesW(FileSystemPath(places.shortcut).c_str()) == INVALID_FILE_ATTRIBUTES)
        return ShortcutFound::Missing;
    const std::optional<std::string> target = ShortcutTarget(places.shortcut);
    if (!target)
        return ShortcutFound::Unreadable;
    if (!IsFile(*target))
        return ShortcutFound::ToMissingProgram;
    return SameFile(*target, places.program) ? ShortcutFound::ToThisProgram
                                             : ShortcutFound::ToAnotherProgram;
}

bool CarryOutShortcutStep(ShortcutStep step, const Places& places) {
    const ShortcutContent content{places.program, places.programFolder, kShortcutDescription};
    switch (step) {
    case ShortcutStep::Keep:
        return true;
    case ShortcutStep::Make:
        return IsFile(places.program) && WriteShortcut(places.shortcut, content);
    case ShortcutStep::PointHere:
        return IsFile(places.program) && RepointShortcut(places.shortcut, content);
    case ShortcutStep::Delete:
        return DeleteFileW(FileSystemPath(places.shortcut).c_str()) != FALSE;
    }
    return false;
}

bool SetMark(const Places& places) {
    if (IsFile(places.mark))
        return true;
    if (!CreateDirectoryW(FileSystemPath(places.markFolder).c_str(), nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    UniqueHandle file(CreateFileW(FileSystemPath(places.mark).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    return WriteFile(file.get(), kMarkText, sizeof kMarkText - 1, &written, nullptr) != FALSE;
}

bool ClearMark(const Places& places) {
    if (IsFile(places.mark) && !DeleteFileW(FileSystemPath(places.mark).c_str()))
        return false;
    RemoveDirectoryW(FileSystemPath(places.markFolder).c_str()); // only when nothing else is in it
    return true;
}

bool CarryOutMarkStep(MarkStep step, const Places& places) {
    switch (step) {
    case MarkStep::Keep:
        return true;
    case MarkStep::Set:
        return SetMark(places);
    case MarkStep::Clear:
        return ClearMark(places);
    }
    return false;
}

} // namespace

// Carries out one request. A step that fails leaves everything after it undone, so a failure
// changes nothing the user would notice. Returns whether the request was carried out.
bool CarryOutSendToRequest(SendToRequest request) {
    if (request == SendToRequest::None)
        return true;
    const std::optional<Places> places = FindPlaces();
    if (!places)
        return false;
    const SendToPlan plan = PlanSendTo(request, InspectShortcut(*places), IsFile(places->mark));
    return CarryOutShortcutStep(plan.shortcut, *places) && CarryOutMarkStep(plan.mark, *places);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RestrictDllSearchToSystemFolder();
    // No system message box for a drive that is not ready or a file that cannot be opened.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX);
    const SendToRequest request = ParseSendToRequest(Utf8FromWide(GetCommandLineW()).c_str());
    bool done = false;
    try {
        const ComInitialization com = InitializeCom();
        done = com && CarryOutSendToRequest(request);
    } catch (...) {
        done = false;
    }
    return done ? 0 : 1;
}
