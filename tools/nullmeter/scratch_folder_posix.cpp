// The temporary folder's removal on POSIX signals: SIGSEGV and the other
// crash signals, SIGINT and SIGTERM.
#include "tools/nullmeter/scratch_folder_cleanup.h"

#include <climits>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace nullmeter {

namespace {

constexpr int kCrashStatus = 2;  // the plug-in could not be tested: an input error
constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGINT, SIGTERM};
constexpr int kSignalCount = sizeof kSignals / sizeof kSignals[0];

// What the signal handler needs, set up beforehand: it may call only
// async-signal-safe functions, so no std::filesystem and no allocation.
struct ActiveFolder {
    bool active = false;
    int fd = -1;  // the folder, open for reading its entries
    char path[PATH_MAX] = {};
    struct sigaction previous[kSignalCount];
};
ActiveFolder folder;

// Unlinks every file in the folder, then the folder itself. The entries are
// read with the raw getdents64 system call (readdir may allocate); a pass
// that unlinked something is followed by another from the start, since the
// directory changed under the reading.
void removeFolderNow() {
    alignas(8) char entries[4096];
    for (int pass = 0; pass < 16; ++pass) {
        bool unlinked = false;
        if (lseek(folder.fd, 0, SEEK_SET) != 0)
            break;
        long n;
        while ((n = syscall(SYS_getdents64, folder.fd, entries, sizeof entries)) > 0) {
            for (long at = 0; at < n;) {
                // struct linux_dirent64: inode (8), offset (8), record length (2), type (1), name.
                unsigned short length;
                std::memcpy(&length, entries + at + 16, sizeof length);
                const char* name = entries + at + 19;
                if (std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0 &&
                    unlinkat(folder.fd, name, 0) == 0)
                    unlinked = true;
                at += length;
            }
        }
        if (!unlinked)
            break;
    }
    rmdir(folder.path);
}

void say(const char* text) {
    ssize_t ignored = write(STDERR_FILENO, text, std::strlen(text));
    (void)ignored;
}

extern "C" void onSignal(int signal) {
    if (folder.active)
        removeFolderNow();
    if (signal == SIGINT || signal == SIGTERM) {
        // Ends as the signal would have ended it.
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    char number[4] = {static_cast<char>('0' + signal / 10 % 10),
                      static_cast<char>('0' + signal % 10), ')', '\0'};
    say("nullmeter: crashed while hosting the plug-in (signal ");
    say(signal < 10 ? number + 1 : number);
    say("\n");
    _exit(kCrashStatus);
}

}  // namespace

bool cleanup::arm(const std::filesystem::path& path, std::string& error) {
    if (folder.active) {
        error = "a temporary folder is already in use";
        return false;
    }
    const std::string text = path.string();
    if (text.size() >= sizeof folder.path) {
        error = "the temporary folder's name is too long: " + text;
        return false;
    }
    folder.fd = open(text.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder.fd < 0) {
        error = "cannot open the temporary folder " + text;
        return false;
    }
    std::memcpy(folder.path, text.c_str(), text.size() + 1);
    folder.active = true;
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < kSignalCount; ++i)
        sigaction(kSignals[i], &action, &folder.previous[i]);
    return true;
}

void cleanup::disarm() {
    if (!folder.active)
        return;
    for (int i = 0; i < kSignalCount; ++i)
        sigaction(kSignals[i], &folder.previous[i], nullptr);
    folder.active = false;
    close(folder.fd);
    folder.fd = -1;
}

long cleanup::processId() {
    return static_cast<long>(getpid());
}

}  // namespace nullmeter
