#pragma once
// Starting programs and looking at the running ones.
//
// A program started by a wake-up receives its parameters as the handheld passes them: one
// command line string, which arrives as its single argument (none when the string is empty).
// ShellExecuteEx splits its parameters into words instead (see there); the suite's own
// command lines ("a05", "na03", "UpdateNotifications") are single words either way.

#include "platform/ticks.h"
#include "platform/types.h"

#include <chrono>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

inline constexpr DWORD SEE_MASK_NOCLOSEPROCESS = 0x40;
inline constexpr DWORD SEE_MASK_FLAG_NO_UI = 0x400;

struct SHELLEXECUTEINFO {
    DWORD cbSize;
    DWORD fMask;
    void* hwnd;
    const WCHAR* lpVerb;       // "open" or null
    const WCHAR* lpFile;       // device path
    const WCHAR* lpParameters; // the command line of a program
    const WCHAR* lpDirectory;
    int nShow;
    void* hInstApp;
    HANDLE hProcess;           // with SEE_MASK_NOCLOSEPROCESS: a waitable process handle
};

// "open": an executable of the device tree starts with the parameters, split into words by
// platform::splitParameters; any other file goes to the desktop's opener (xdg-open). TRUE
// when it started.
BOOL ShellExecuteEx(SHELLEXECUTEINFO* info);

// The device path of the running program ("\Application Data\Orvane Tickwell Pro\TkEvents.exe"),
// as it was started; `size` in characters. Returns the length copied, 0 on failure.
DWORD GetModuleFileNameW(void* module, WCHAR* fileName, DWORD size);

// The process snapshot (toolhelp), over /proc: the programs of this user, each by the file
// name it was started as.
inline constexpr DWORD TH32CS_SNAPPROCESS = 0x2;

struct PROCESSENTRY32 {
    DWORD dwSize;
    DWORD cntUsage;
    DWORD th32ProcessID;
    DWORD th32DefaultHeapID;
    DWORD th32ModuleID;
    DWORD cntThreads;
    DWORD th32ParentProcessID;
    LONG pcPriClassBase;
    DWORD dwFlags;
    WCHAR szExeFile[260];
    DWORD th32MemoryBase;
    DWORD th32AccessKey;
};

// INVALID_HANDLE_VALUE on failure; close with CloseToolhelp32Snapshot.
HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId);
BOOL Process32First(HANDLE snapshot, PROCESSENTRY32* entry);
BOOL Process32Next(HANDLE snapshot, PROCESSENTRY32* entry);
BOOL CloseToolhelp32Snapshot(HANDLE snapshot);

namespace platform {

// Programs started from a device path learn it through this variable.
inline constexpr const char* kModulePathVariable = "TKW_MODULE_PATH";
// A program started by a wake-up finds the local moment that wake-up was registered for
// here (100 ns ticks since 1601, decimal), the way a handheld program asks the notification
// database about the notification that started it.
inline constexpr const char* kWakeUpStartVariable = "TKW_WAKEUP_START";
// The local moment of the wake-up that started this program, if one did.
[[nodiscard]] std::optional<LocalTicks> startingWakeUpLocalTicks();
// When the process was taken for the wake-up that started it (CLOCK_MONOTONIC nanoseconds),
// before the program itself was loaded into it.
inline constexpr const char* kWakeUpTakenVariable = "TKW_WAKEUP_TAKEN";
// That moment on the steady clock, if the wake-up was taken less than `within` ago.
[[nodiscard]] std::optional<std::chrono::steady_clock::time_point> takenForWakeUpAt(
    std::chrono::milliseconds within = std::chrono::milliseconds(2000));

// The device path GetModuleFileNameW reports when the program was not started through its
// device path (started by hand, say).
void setDefaultModulePath(std::u16string_view devicePath);

struct SpawnRequest {
    std::filesystem::path program;
    std::vector<std::string> arguments; // after argv[0]
    std::optional<std::u16string> modulePath; // the device path the program was started as
    std::filesystem::path outputLog;          // standard output and error appended here; empty: /dev/null
    bool keepHandle = false;                  // return a waitable process handle
    // The program is a launcher that execs another: spawnDetached returns only when that
    // second exec is done (or the launcher ended). The launcher finds the descriptor that
    // tells so in kStartPipeVariable and marks it close-on-exec.
    bool waitForSecondExec = false;
};

inline constexpr const char* kStartPipeVariable = "TKW_START_PIPE";

struct SpawnResult {
    pid_t pid = -1;
    HANDLE process = nullptr; // when asked for: a handle WaitForSingleObject waits on
};

// Starts a program in a session of its own, not a child to be reaped by the caller, with
// this device root in its environment. nullopt when it could not be started.
[[nodiscard]] std::optional<SpawnResult> spawnDetached(const SpawnRequest& request);

// The words of a parameter string, as a Linux shell splits a command line but without
// running one: blanks (space, tab, newline) separate words; 'single quotes' keep everything
// up to the next single quote; "double quotes" keep everything but let a backslash escape
// \", \\, \$ and \` (any other backslash stays); outside quotes a backslash takes the next
// character as it is. Nothing is expanded: no variables, no globbing, no ~. A quote that is
// never closed takes the rest of the string literally, blanks included. '' and "" make an
// empty word; an empty or blank string makes none.
[[nodiscard]] std::vector<std::u16string> splitParameters(std::u16string_view parameters);

[[nodiscard]] bool isExecutableFile(const std::filesystem::path& path);
[[nodiscard]] std::optional<std::filesystem::path> findOnPath(const char* program);

struct RunningProgram {
    pid_t pid;
    std::u16string exeFile; // the file name the program was started as ("TkTimer.exe")
};

// The programs of this user that run now (the handheld's process snapshot).
[[nodiscard]] std::vector<RunningProgram> runningPrograms();

} // namespace platform
