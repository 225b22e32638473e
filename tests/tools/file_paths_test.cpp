// Where the tools may read and write: inputs that are not files, outputs that
// would replace an input (by any spelling, link or hard link), a device or a
// folder, and outputs that appear only when complete and write through links.
#include "tests/support/scratch_dir.h"
#include "tools/common/file_paths.h"
#include "tools/common/staged_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#ifndef _WIN32
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
using plux::files::checkInput;
using plux::files::checkOutputs;
using plux::files::isWindowsDeviceName;
using plux::files::NamedPath;
using plux::files::resolveOutput;
using plux::files::StagedFile;

using plux::testing_support::freshDir;

void writeText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string inputError(const fs::path& path) {
    std::string error;
    EXPECT_FALSE(checkInput(path, error)) << path;
    return error;
}

std::string outputError(const fs::path& path) {
    fs::path target;
    std::string error;
    EXPECT_FALSE(resolveOutput(path, target, error)) << path;
    return error;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

#ifndef _WIN32
// Special files of the test's own, never the system's.
fs::path makeFifo(const fs::path& dir) {
    const fs::path path = dir / "fifo";
    EXPECT_EQ(mkfifo(path.c_str(), 0600), 0);
    return path;
}

// A Unix socket bound to a path for the test's length.
struct BoundSocket {
    int fd = -1;
    explicit BoundSocket(const fs::path& path) {
        fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string name = path.string();
        if (fd >= 0 && name.size() < sizeof address.sun_path) {
            name.copy(address.sun_path, name.size());
            EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        }
    }
    ~BoundSocket() {
        if (fd >= 0)
            close(fd);
    }
};

// A node of the null device in the test's folder; false where the process
// may not make device nodes.
bool makeNullDevice(const fs::path& path) {
    return mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
}
#endif

TEST(FilePaths, InputsMustBeRegularFiles) {
    const fs::path dir = freshDir("inputs");
    writeText(dir / "a.wav", "RIFF");
    std::string error;
    EXPECT_TRUE(checkInput(dir / "a.wav", error)) << error;
    EXPECT_EQ(inputError(dir / "missing.wav"), (dir / "missing.wav").string() + ": no such file");
    EXPECT_EQ(inputError(dir), dir.string() + ": is a directory");
#ifndef _WIN32
    // A FIFO with no writer: refused at once, never opened (that would block).
    const fs::path fifo = makeFifo(dir);
    EXPECT_EQ(inputError(fifo), fifo.string() + ": is a FIFO (named pipe), not a regular file");
    const BoundSocket sock(dir / "sock");
    EXPECT_TRUE(contains(inputError(dir / "sock"), ": is a socket, not a regular file"));
    if (makeNullDevice(dir / "null")) {
        EXPECT_TRUE(contains(inputError(dir / "null"), ": is a character device"));
    }
    // A link to a file reads the file.
    fs::create_symlink("a.wav", dir / "link.wav");
    EXPECT_TRUE(checkInput(dir / "link.wav", error)) << error;
#endif
}

TEST(FilePaths, OutputsAreFilesOrNewNamesInExistingFolders) {
    const fs::path dir = freshDir("outputs");
    const fs::path real = fs::canonical(dir);
    fs::create_directory(dir / "sub");
    writeText(dir / "old.wav", "old");
    fs::path target;
    std::string error;
    ASSERT_TRUE(resolveOutput(dir / "sub" / ".." / "new.wav", target, error)) << error;
    EXPECT_EQ(target, real / "new.wav");
    ASSERT_TRUE(resolveOutput(dir / "old.wav", target, error)) << error;
    EXPECT_EQ(target, real / "old.wav");

    EXPECT_EQ(outputError(dir / "sub"), (dir / "sub").string() + ": is a directory");
    EXPECT_TRUE(contains(outputError(dir / "none" / "x.wav"), "the folder"));
    EXPECT_TRUE(contains(outputError(dir / "old.wav" / "x.wav"), "cannot write"));
    EXPECT_FALSE(fs::exists(dir / "none"));
#ifndef _WIN32
    EXPECT_TRUE(contains(outputError(makeFifo(dir)), ": is a FIFO (named pipe)"));
    const BoundSocket sock(dir / "sock");
    EXPECT_TRUE(contains(outputError(dir / "sock"), ": is a socket"));
    if (makeNullDevice(dir / "null")) {
        EXPECT_TRUE(contains(outputError(dir / "null"), ": is a character device"));
        // Refused, and still the device it was.
        EXPECT_TRUE(fs::is_character_file(dir / "null"));
    }
    // Links lead to the file they name, through a chain; a dangling one is refused.
    fs::create_symlink("old.wav", dir / "link1.wav");
    fs::create_symlink("../link1.wav", dir / "sub" / "link2.wav");
    ASSERT_TRUE(resolveOutput(dir / "sub" / "link2.wav", target, error)) << error;
    EXPECT_EQ(target, real / "old.wav");
    fs::create_symlink("nowhere.wav", dir / "dangling.wav");
    EXPECT_EQ(outputError(dir / "dangling.wav"),
              (dir / "dangling.wav").string() + ": is a symbolic link to nothing");
    fs::create_symlink("sub", dir / "dirlink");
    EXPECT_TRUE(contains(outputError(dir / "dirlink"), ": is a directory"));
#endif
}

TEST(FilePaths, AnOutputNamingAnInputIsRefusedWhateverTheSpelling) {
    const fs::path dir = freshDir("same");
    fs::create_directory(dir / "x");
    writeText(dir / "a.wav", "A");
    writeText(dir / "b.wav", "B");
    fs::create_hard_link(dir / "a.wav", dir / "hard.wav");
    const std::vector<NamedPath> inputs{{"input", dir / "a.wav"}, {"input", dir / "b.wav"}};
    std::string error;
    for (const fs::path& spelling : {dir / "a.wav", dir / "x" / ".." / "a.wav", dir / "hard.wav"}) {
        EXPECT_FALSE(checkOutputs({{"--residual", spelling}}, inputs, error)) << spelling;
        EXPECT_EQ(error, "--residual " + spelling.string() + ": is the same file as input " +
                             (dir / "a.wav").string() + "; name a file of its own");
    }
#ifndef _WIN32
    fs::create_symlink("b.wav", dir / "link.wav");
    EXPECT_FALSE(checkOutputs({{"--plot", dir / "link.wav"}}, inputs, error));
    EXPECT_TRUE(contains(error, "is the same file as input " + (dir / "b.wav").string()));
#endif
    // Two outputs of one run may not share a file either, new or existing.
    EXPECT_FALSE(checkOutputs({{"--residual", dir / "r.wav"}, {"--plot", dir / "x/../r.wav"}},
                              inputs, error));
    EXPECT_EQ(error, "--plot " + (dir / "x/../r.wav").string() +
                         ": is also the file of --residual; give each output a file of its own");
    writeText(dir / "old.png", "png");
    fs::create_hard_link(dir / "old.png", dir / "old-too.png");
    EXPECT_FALSE(checkOutputs({{"--out", dir / "old.png"}, {"--save", dir / "old-too.png"}},
                              inputs, error));
    // Files of their own pass; empty and missing names are not this check's.
    EXPECT_TRUE(checkOutputs({{"--residual", dir / "r.wav"}, {"--plot", dir / "old.png"},
                              {"--junit", fs::path()}},
                             {{"input", dir / "a.wav"}, {"input", dir / "gone.wav"}, {"", {}}},
                             error))
        << error;
    // The files themselves were never touched.
    EXPECT_EQ(readText(dir / "a.wav"), "A");
    EXPECT_EQ(readText(dir / "b.wav"), "B");
}

TEST(FilePaths, WindowsDeviceNamesAreKnownInAnyCaseAndWithExtensions) {
    for (const char* device : {"NUL", "nul.wav", "Con", "aux.png", "PRN", "COM1", "lpt9.txt",
                               "C:/music/NUL.wav", "COM3 .wav", "conout$"})
        EXPECT_TRUE(isWindowsDeviceName(device)) << device;
    for (const char* file : {"null.wav", "console.wav", "COM10", "COM", "LPT.wav", "a.nul",
                             "nul/x.wav", "mycon.wav"})
        EXPECT_FALSE(isWindowsDeviceName(file)) << file;
}

TEST(StagedFile, TheTargetChangesOnlyAtCommitAndAFailureLeavesNothing) {
    const fs::path dir = freshDir("staged");
    writeText(dir / "out.bin", "old");
    std::string error;
    {
        StagedFile file;
        ASSERT_TRUE(file.begin(dir / "out.bin", error)) << error;
        EXPECT_EQ(file.temporary().parent_path(), fs::canonical(dir));
        ASSERT_TRUE(file.writeAll("new", 3, error)) << error;
        EXPECT_EQ(readText(dir / "out.bin"), "old");  // not yet
    }  // dropped without commit
    EXPECT_EQ(readText(dir / "out.bin"), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

    StagedFile file;
    ASSERT_TRUE(file.begin(dir / "out.bin", error)) << error;
    ASSERT_TRUE(file.writeAll("new", 3, error)) << error;
    ASSERT_TRUE(file.commit(error)) << error;
    EXPECT_EQ(readText(dir / "out.bin"), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    EXPECT_FALSE(file.commit(error));  // once only

    StagedFile refused;
    EXPECT_FALSE(refused.begin(dir, error));
    EXPECT_EQ(error, dir.string() + ": is a directory");
    EXPECT_FALSE(refused.writeAll("x", 1, error));
}

#ifndef _WIN32
TEST(StagedFile, ALinkIsWrittenThroughAndAReplacedFileKeepsItsPermissions) {
    const fs::path dir = freshDir("through");
    fs::create_directory(dir / "elsewhere");
    writeText(dir / "elsewhere" / "take.wav", "old");
    fs::permissions(dir / "elsewhere" / "take.wav", fs::perms::owner_read | fs::perms::owner_write |
                                                        fs::perms::group_read);
    fs::create_symlink("elsewhere/take.wav", dir / "take.wav");
    std::string error;
    StagedFile file;
    ASSERT_TRUE(file.begin(dir / "take.wav", error)) << error;
    EXPECT_EQ(file.temporary().parent_path(), fs::canonical(dir / "elsewhere"));
    ASSERT_TRUE(file.writeAll("new", 3, error)) << error;
    ASSERT_TRUE(file.commit(error)) << error;
    EXPECT_TRUE(fs::is_symlink(dir / "take.wav"));
    EXPECT_EQ(readText(dir / "elsewhere" / "take.wav"), "new");
    EXPECT_EQ(fs::status(dir / "elsewhere" / "take.wav").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "elsewhere"), fs::directory_iterator()),
              1);
}
#endif

}  // namespace
