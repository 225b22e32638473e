#include "tests/tools/child_process_win32.h"

#include <fstream>
#include <iterator>

#include <windows.h>

namespace plux::testing_support {
namespace {

// Closes a handle when leaving scope.
class Handle {
  public:
    explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    ~Handle() {
        if (valid())
            CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return h_ && h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }

  private:
    HANDLE h_;
};

HANDLE openInheritable(const std::filesystem::path& path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES sa{};
    sa.nLength = sizeof sa;
    sa.bInheritHandle = TRUE;
    return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

std::wstring quoteArgument(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos)
        return arg;
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes double only in front of a quote.
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, L'\\');  // before the closing quote
    quoted += L'"';
    return quoted;
}

bool runChild(const std::filesystem::path& program, const std::vector<std::string>& args,
              const std::filesystem::path& scratchDir, ChildResult& result, std::string& error) {
    const std::filesystem::path outPath = scratchDir / "child_stdout.txt";
    const std::filesystem::path errPath = scratchDir / "child_stderr.txt";
    std::wstring commandLine = quoteArgument(program.wstring());
    for (const std::string& a : args) {
        commandLine += L' ';
        commandLine += quoteArgument(std::filesystem::u8path(a).wstring());
    }
    {
        Handle in(openInheritable(L"NUL", GENERIC_READ, OPEN_EXISTING));
        Handle out(openInheritable(outPath, GENERIC_WRITE, CREATE_ALWAYS));
        Handle err(openInheritable(errPath, GENERIC_WRITE, CREATE_ALWAYS));
        if (!out.valid() || !err.valid()) {
            error = "cannot create output files in " + scratchDir.u8string();
            return false;
        }
        STARTUPINFOW si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = in.get();
        si.hStdOutput = out.get();
        si.hStdError = err.get();
        PROCESS_INFORMATION pi{};
        // Wine now and then fails a process start with an internal error while
        // its server is busy (seen with parallel test programs); a start that
        // fails that way is tried again.
        BOOL started = FALSE;
        for (int attempt = 0; attempt < 5 && !started; ++attempt) {
            started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                                     nullptr, nullptr, &si, &pi);
            if (!started && GetLastError() != ERROR_INTERNAL_ERROR)
                break;
            if (!started)
                Sleep(200);
        }
        if (!started) {
            error = "cannot start " + program.u8string() + " (error " +
                    std::to_string(GetLastError()) + ")";
            return false;
        }
        Handle process(pi.hProcess);
        Handle thread(pi.hThread);
        WaitForSingleObject(process.get(), INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(process.get(), &code);
        result.exitCode = code;
    }
    result.out = readAll(outPath);
    result.err = readAll(errPath);
    return true;
}

}  // namespace plux::testing_support
