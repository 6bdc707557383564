#include "platform/processes.h"

#include "platform/device_root.h"
#include "platform/files.h"
#include "platform/handle.h"
#include "platform/process_handle.h"
#include "platform/text.h"
#include "platform/unique_fd.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace platform {

namespace {

std::mutex g_moduleMutex;
std::u16string g_defaultModulePath;

bool readAll(int fd, void* into, std::size_t size)
{
    auto* p = static_cast<char*>(into);
    while (size > 0) {
        const ssize_t got = ::read(fd, p, size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        p += got;
        size -= std::size_t(got);
    }
    return true;
}

std::vector<std::string> environmentFor(const SpawnRequest& request)
{
    std::vector<std::string> environment;
    const std::string deviceVariable = "TICKWELL_DEVICE=";
    const std::string moduleVariable = std::string(kModulePathVariable) + "=";
    for (char** entry = environ; *entry; ++entry) {
        const std::string_view text(*entry);
        if (text.starts_with(deviceVariable) || text.starts_with(moduleVariable))
            continue;
        environment.emplace_back(text);
    }
    environment.push_back(deviceVariable + deviceRoot().string());
    if (request.modulePath)
        environment.push_back(moduleVariable + toUtf8(*request.modulePath));
    return environment;
}

} // namespace

std::vector<std::u16string> splitParameters(std::u16string_view parameters)
{
    const auto blank = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; };
    std::vector<std::u16string> words;
    std::u16string word;
    bool inWord = false; // a word has begun, even an empty one ('')
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        const char16_t c = parameters[i];
        if (blank(c)) {
            if (inWord)
                words.push_back(std::exchange(word, { }));
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == u'\\') {
            // A backslash at the very end has nothing to escape and stands for itself.
            word += i + 1 < parameters.size() ? parameters[++i] : c;
        } else if (c == u'\'') {
            const auto close = parameters.find(u'\'', i + 1);
            const auto end = close == std::u16string_view::npos ? parameters.size() : close;
            word.append(parameters.substr(i + 1, end - i - 1));
            i = end; // past the closing quote, or at the end of an unclosed one
        } else if (c == u'"') {
            for (++i; i < parameters.size() && parameters[i] != u'"'; ++i) {
                const bool escape = parameters[i] == u'\\' && i + 1 < parameters.size()
                    && std::u16string_view(u"\"\\$`").find(parameters[i + 1]) != std::u16string_view::npos;
                word += parameters[escape ? ++i : i];
            }
        } else {
            word += c;
        }
    }
    if (inWord)
        words.push_back(std::move(word));
    return words;
}

bool isExecutableFile(const std::filesystem::path& path)
{
    struct stat info { };
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::optional<std::filesystem::path> findOnPath(const char* program)
{
    const char* path = std::getenv("PATH");
    std::string_view folders(path ? path : "/usr/local/bin:/usr/bin:/bin");
    while (!folders.empty()) {
        const auto cut = folders.find(':');
        const auto folder = folders.substr(0, cut);
        const auto candidate = std::filesystem::path(folder) / program;
        if (!folder.empty() && isExecutableFile(candidate))
            return candidate;
        if (cut == std::string_view::npos)
            break;
        folders.remove_prefix(cut + 1);
    }
    return std::nullopt;
}

namespace {

std::u16string fileNameOf(std::u16string_view devicePath)
{
    const auto cut = devicePath.find_last_of(u"\\/");
    return std::u16string(cut == std::u16string_view::npos ? devicePath : devicePath.substr(cut + 1));
}

} // namespace

void setDefaultModulePath(std::u16string_view devicePath)
{
    std::lock_guard lock(g_moduleMutex);
    g_defaultModulePath = devicePath;
}

std::optional<SpawnResult> spawnDetached(const SpawnRequest& request)
{
    // Everything the children need is made before fork: between fork and exec only
    // async-signal-safe calls are allowed.
    std::vector<std::string> arguments { request.program.string() };
    arguments.insert(arguments.end(), request.arguments.begin(), request.arguments.end());
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    auto environment = environmentFor(request);

    UniqueFd output(::open(request.outputLog.empty() ? "/dev/null" : request.outputLog.c_str(),
        O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, kPrivateFileMode));
    // The logs are the device's, private like its files whatever the umask.
    if (output && !request.outputLog.empty())
        ::fchmod(output.get(), kPrivateFileMode);
    UniqueFd input(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    if (!output || !input)
        return std::nullopt;
    // The grandchild's pid comes back through `report`; `execStatus` closes without a word
    // when exec succeeds and carries errno when it fails.
    int report[2], execStatus[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return std::nullopt;
    UniqueFd reportRead(report[0]), reportWrite(report[1]);
    if (::pipe2(execStatus, O_CLOEXEC) != 0)
        return std::nullopt;
    UniqueFd statusRead(execStatus[0]), statusWrite(execStatus[1]);
    if (request.waitForSecondExec)
        environment.push_back(std::string(kStartPipeVariable) + "=" + std::to_string(statusWrite.get()));
    std::vector<char*> envp;
    for (auto& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    const pid_t middle = ::fork();
    if (middle < 0)
        return std::nullopt;
    if (middle == 0) {
        ::setsid();
        const pid_t program = ::fork();
        if (program == 0) {
            ::dup2(input.get(), STDIN_FILENO);
            ::dup2(output.get(), STDOUT_FILENO);
            ::dup2(output.get(), STDERR_FILENO);
            sigset_t none;
            sigemptyset(&none);
            ::sigprocmask(SIG_SETMASK, &none, nullptr);
            if (request.waitForSecondExec)
                ::fcntl(statusWrite.get(), F_SETFD, 0); // kept open through the launcher's exec
            ::execve(argv[0], argv.data(), envp.data());
            const int error = errno;
            (void)!::write(statusWrite.get(), &error, sizeof error);
            ::_exit(127);
        }
        (void)!::write(reportWrite.get(), &program, sizeof program);
        ::_exit(program > 0 ? 0 : 1);
    }
    reportWrite.reset();
    statusWrite.reset();
    int middleStatus = 0;
    while (::waitpid(middle, &middleStatus, 0) < 0 && errno == EINTR) { }
    pid_t program = -1;
    if (!readAll(reportRead.get(), &program, sizeof program) || program <= 0)
        return std::nullopt;
    int execError = 0;
    if (readAll(statusRead.get(), &execError, sizeof execError)) {
        errno = execError;
        return std::nullopt;
    }
    SpawnResult result;
    result.pid = program;
    if (request.keepHandle)
        result.process = openProcessHandle(program);
    return result;
}

std::vector<RunningProgram> runningPrograms()
{
    std::vector<RunningProgram> programs;
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return programs;
    const uid_t me = ::getuid();
    while (const dirent* entry = ::readdir(proc)) {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (pid <= 0 || *end != '\0')
            continue;
        const std::string base = std::string("/proc/") + entry->d_name;
        struct stat info { };
        if (::stat(base.c_str(), &info) != 0 || info.st_uid != me)
            continue;
        // A program started from a device path reports that file name, as the handheld's
        // snapshot does; any other reports its host name.
        std::u16string name;
        std::ifstream environment(base + "/environ", std::ios::binary);
        const std::string prefix = std::string(kModulePathVariable) + "=";
        for (std::string variable; std::getline(environment, variable, '\0');) {
            if (variable.starts_with(prefix)) {
                name = fileNameOf(toUtf16(variable.substr(prefix.size())));
                break;
            }
        }
        if (name.empty()) {
            std::ifstream comm(base + "/comm");
            std::string command;
            if (!std::getline(comm, command))
                continue;
            name = toUtf16(command);
        }
        programs.push_back({ pid_t(pid), std::move(name) });
    }
    ::closedir(proc);
    return programs;
}

} // namespace platform

namespace {

class Snapshot final : public platform::HandleObject {
public:
    std::vector<platform::RunningProgram> programs = platform::runningPrograms();
    std::size_t next = 0;
};

BOOL fillEntry(HANDLE snapshot, PROCESSENTRY32* entry, bool first)
{
    auto* taken = platform::handleObject<Snapshot>(snapshot);
    if (!taken || !entry || entry->dwSize < sizeof(PROCESSENTRY32)) {
        SetLastError(taken ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (first)
        taken->next = 0;
    if (taken->next >= taken->programs.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    const auto& program = taken->programs[taken->next++];
    const DWORD size = entry->dwSize;
    *entry = PROCESSENTRY32 { };
    entry->dwSize = size;
    entry->cntUsage = 1;
    entry->th32ProcessID = DWORD(program.pid);
    entry->cntThreads = 1;
    const std::size_t length = std::min<std::size_t>(program.exeFile.size(), 259);
    std::copy_n(program.exeFile.begin(), length, entry->szExeFile);
    entry->szExeFile[length] = u'\0';
    return TRUE;
}

} // namespace

HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD)
{
    if ((flags & TH32CS_SNAPPROCESS) == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    return platform::registerHandle(new Snapshot());
}

BOOL Process32First(HANDLE snapshot, PROCESSENTRY32* entry) { return fillEntry(snapshot, entry, true); }

BOOL Process32Next(HANDLE snapshot, PROCESSENTRY32* entry) { return fillEntry(snapshot, entry, false); }

BOOL CloseToolhelp32Snapshot(HANDLE snapshot) { return CloseHandle(snapshot); }

BOOL ShellExecuteEx(SHELLEXECUTEINFO* info)
{
    if (!info || !info->lpFile || !*info->lpFile) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (info->lpVerb && *info->lpVerb && !platform::equalsIgnoringCase(info->lpVerb, u"open")) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    platform::FileError why = platform::FileError::None;
    const auto host = platform::hostPathOf(info->lpFile, &why, platform::Links::MayLeave);
    std::error_code error;
    if (!host || !std::filesystem::exists(*host, error)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    platform::SpawnRequest request;
    request.keepHandle = (info->fMask & SEE_MASK_NOCLOSEPROCESS) != 0;
    const std::u16string parameters = info->lpParameters ? info->lpParameters : u"";
    if (platform::isExecutableFile(*host)) {
        request.program = *host;
        request.modulePath = std::u16string(info->lpFile);
        for (const auto& word : platform::splitParameters(parameters))
            request.arguments.push_back(platform::toUtf8(word));
    } else {
        const auto opener = platform::findOnPath("xdg-open");
        if (!opener) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return FALSE;
        }
        request.program = *opener;
        request.arguments.push_back(host->string());
    }
    const auto started = platform::spawnDetached(request);
    if (!started) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    info->hProcess = started->process;
    return TRUE;
}

DWORD GetModuleFileNameW(void*, WCHAR* fileName, DWORD size)
{
    if (!fileName || size == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::u16string path;
    if (const char* started = std::getenv(platform::kModulePathVariable); started && *started) {
        path = platform::toUtf16(started);
    } else {
        std::lock_guard lock(platform::g_moduleMutex);
        path = platform::g_defaultModulePath;
    }
    if (path.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    const DWORD copied = DWORD(std::min<std::size_t>(path.size(), size - 1));
    std::copy_n(path.begin(), copied, fileName);
    fileName[copied] = u'\0';
    return copied;
}

namespace platform {

namespace {

// A whole decimal number in the environment variable `name`.
template <typename Number> std::optional<Number> numberFromEnvironment(const char* name)
{
    const char* text = std::getenv(name);
    if (!text || !*text)
        return std::nullopt;
    Number value = 0;
    const char* end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, value);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<LocalTicks> startingWakeUpLocalTicks()
{
    const auto ticks = numberFromEnvironment<std::uint64_t>(kWakeUpStartVariable);
    return ticks && *ticks != 0 ? std::optional(LocalTicks(*ticks)) : std::nullopt;
}

std::optional<std::chrono::steady_clock::time_point> takenForWakeUpAt(std::chrono::milliseconds within)
{
    const auto ns = numberFromEnvironment<std::int64_t>(kWakeUpTakenVariable);
    if (!ns)
        return std::nullopt;
    const std::chrono::steady_clock::time_point taken { std::chrono::nanoseconds(*ns) };
    const auto now = std::chrono::steady_clock::now();
    if (taken > now || now - taken > within)
        return std::nullopt;
    return taken;
}

} // namespace platform
