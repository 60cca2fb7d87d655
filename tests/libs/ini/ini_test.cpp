// SPDX-License-Identifier: GPL-2.0-or-later
// The INI layer shared by the program and the ripping library: the one rule
// both read by, the numbered keys of a disc, and files that are not what
// they seem (FIFOs, devices, huge files, links, left-over temporary files).
#include "inifileio.h"
#include "iniformat.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

namespace trackmill::ini {
namespace {

std::string bytes(const char* literal, std::size_t size)
{
    return std::string(literal, size);
}
#define B(literal) bytes(literal, sizeof(literal) - 1)

// Lines as the program's own writer and the ripping library's former writer
// met them; one rule reads them all now.
TEST(IniRule, ValuesOfBothFormerReadersUnderTheOneRule)
{
    const struct
    {
        std::string file;
        const char* key;
        std::optional<std::string> value;  // nullopt: no such key
    } cases[] = {
        // Blanks around the value: space, tab, CR, VT, FF, on both sides.
        {B("[S]\nk= \t v \t \n"), "k", "v"},
        {B("[S]\r\nk=\rv\r\r\n"), "k", "v"},
        {B("[S]\nk=\v\fv\f\v\n"), "k", "v"},
        {B("[S]\nk=a\rb\n"), "k", "a\rb"},
        // One pair of quotes, after the blanks: how both writers keep blanks.
        {B("[S]\nk= \" padded \" \n"), "k", " padded "},
        {B("[S]\nk=''x''\n"), "k", "'x'"},
        {B("[S]\nk=\"open\n"), "k", "\"open"},
        // Key names trimmed the same way, matched without regard to ASCII case.
        {B("[S]\n\t KEY \t=v\n"), "key", "v"},
        {B("[S]\n;k=commented\n"), "k", std::nullopt},
        // A header without its bracket still starts a section (the library
        // once took it for garbage and appended a second section).
        {B("[S\nk=v\n"), "k", "v"},
        {B("[ S ] trailing\nk=v"), "k", "v"},
        // Code-page bytes and NULs are bytes like any other.
        {B("[S]\nk=\xe9\0\xff\n"), "k", B("\xe9\0\xff")},
    };
    for (const auto& c : cases) {
        const Document doc = Document::parse(c.file);
        const std::string* found = doc.find("s", c.key);
        ASSERT_EQ(found != nullptr, c.value.has_value()) << c.file;
        if (found) {
            EXPECT_EQ(*found, *c.value) << c.file;
        }
        EXPECT_EQ(doc.bytes(), c.file);
    }
}

TEST(IniRule, NumberedKeysFromACountOn)
{
    const struct
    {
        std::string before;
        std::size_t first;
        std::string after;
    } cases[] = {
        {"[D]\r\nnumtracks=2\r\n0=a\r\n1=b\r\n2=c\r\n3=d\r\nx=1\r\n\r\n[E]\r\n5=e\r\n", 2,
         "[D]\r\nnumtracks=2\r\n0=a\r\n1=b\r\nx=1\r\n\r\n[E]\r\n5=e\r\n"},
        // Only the spelling the stores write: "07", "+9", "1a" are other keys.
        {"[d]\n07=a\n+9=b\n1a=c\n 12 =d\n99999999999999999999999=e\n", 0, "[d]\n07=a\n+9=b\n1a=c\n"},
        {"[D]\n0=a\n", 1, "[D]\n0=a\n"},
        {"[X]\n5=a\n", 0, "[X]\n5=a\n"},
    };
    for (const auto& c : cases) {
        Document doc = Document::parse(c.before);
        doc.removeNumberedKeys("D", c.first);
        EXPECT_EQ(doc.bytes(), c.after) << c.before;
    }
}

class IniFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/trackmill-ini-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        // A reader that blocks fails the test instead of hanging it.
        alarm(20);
    }
    void TearDown() override
    {
        alarm(0);
        std::system(("rm -rf '" + dir + "'").c_str());
    }

    std::string path(const std::string& name) const { return dir + "/" + name; }

    static void put(const std::string& file, const std::string& text)
    {
        std::ofstream(file, std::ios::binary) << text;
    }
    static std::string get(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return in ? out.str() : "<missing>";
    }
    static mode_t modeOf(const std::string& file)
    {
        struct stat st {};
        return ::stat(file.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
    }
    static bool isLink(const std::string& file)
    {
        struct stat st {};
        return ::lstat(file.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
    }
    std::vector<std::string> entries() const
    {
        std::vector<std::string> names;
        FILE* ls = popen(("ls -A '" + dir + "'").c_str(), "r");
        char line[512];
        while (ls && fgets(line, sizeof line, ls)) {
            std::string name(line);
            name.pop_back();
            names.push_back(name);
        }
        if (ls)
            pclose(ls);
        return names;
    }

    std::string dir;
};

TEST_F(IniFiles, OnlyRegularFilesWithinTheCapAreRead)
{
    ASSERT_EQ(mkfifo(path("fifo.ini").c_str(), 0600), 0);
    ASSERT_EQ(symlink("/dev/zero", path("zero.ini").c_str()), 0);
    ASSERT_EQ(mkdir(path("folder.ini").c_str(), 0700), 0);
    ASSERT_EQ(symlink("nowhere.ini", path("dangling.ini").c_str()), 0);
    put(path("big.ini"), std::string(101, 'x'));
    put(path("fits.ini"), std::string(100, 'x'));

    const struct
    {
        const char* name;
        ReadResult::Status status;
        const char* error;
    } cases[] = {
        {"fifo.ini", ReadResult::Failed, "not a regular file"},
        {"zero.ini", ReadResult::Failed, "not a regular file"},
        {"folder.ini", ReadResult::Failed, "not a regular file"},
        {"big.ini", ReadResult::Failed, "larger than 100 bytes"},
        {"fits.ini", ReadResult::Ok, ""},
        {"dangling.ini", ReadResult::Missing, ""},
        {"absent.ini", ReadResult::Missing, ""},
    };
    for (const auto& c : cases) {
        const ReadResult read = readFile(path(c.name), 100);
        EXPECT_EQ(read.status, c.status) << c.name;
        EXPECT_EQ(read.error, c.error) << c.name;
        EXPECT_EQ(read.bytes.size(), c.status == ReadResult::Ok ? 100u : 0u) << c.name;
    }
    // The cap of the program's files is far above any of ours.
    EXPECT_EQ(readFile("/dev/zero").error, "not a regular file");
}

TEST_F(IniFiles, WriteGoesThroughLinksAndKeepsTheMode)
{
    ASSERT_EQ(mkdir(path("real").c_str(), 0700), 0);
    put(path("real/CDPLAYER.INI"), "[A]\r\nk=1\r\n");
    ASSERT_EQ(chmod(path("real/CDPLAYER.INI").c_str(), 0640), 0);
    // A relative link to a relative link: both stay links.
    ASSERT_EQ(symlink("real/CDPLAYER.INI", path("inner.ini").c_str()), 0);
    ASSERT_EQ(symlink("inner.ini", path("outer.ini").c_str()), 0);

    std::string error;
    ASSERT_TRUE(writeFileAtomically(path("outer.ini"), "[A]\r\nk=2\r\n", &error)) << error;
    EXPECT_TRUE(isLink(path("outer.ini")));
    EXPECT_TRUE(isLink(path("inner.ini")));
    EXPECT_EQ(get(path("real/CDPLAYER.INI")), "[A]\r\nk=2\r\n");
    EXPECT_EQ(modeOf(path("real/CDPLAYER.INI")), 0640u);

    // A dangling link makes its target, and stays a link.
    ASSERT_EQ(symlink("real/new.ini", path("dangling.ini").c_str()), 0);
    ASSERT_TRUE(writeFileAtomically(path("dangling.ini"), "x", &error)) << error;
    EXPECT_TRUE(isLink(path("dangling.ini")));
    EXPECT_EQ(get(path("real/new.ini")), "x");

    // No temporary file is left by a write that worked or failed.
    EXPECT_FALSE(writeFileAtomically(path("no/such/folder.ini"), "x", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(entries(), (std::vector<std::string>{"dangling.ini", "inner.ini", "outer.ini", "real"}));
}

TEST_F(IniFiles, StaleTemporaryFilesOfOursAreRemovedAndNothingElse)
{
    const std::string target = path("Trackmill.INI");
    put(target, "[MAIN]\r\n");
    const char* stale[] = {".Trackmill.INI.1x9z3qa", ".Trackmill.INI.0", ".Trackmill.INI.zzzzzzz"};
    const char* kept[] = {
        ".Trackmill.INI.swp",       // an editor's swap file
        ".Trackmill.INI.ABC",       // not our digits
        ".Trackmill.INI.12345678",  // too long
        ".Trackmill.INI.",          // no digits at all
        "Trackmill.INI.bak",        // the user's own copy
        ".CDPLAYER.INI.abc",        // another file's (removed with that file)
        ".Trackmill.INI.fresh",     // a save that may be under way
    };
    const time_t old = time(nullptr) - 3600;
    const utimbuf times{old, old};
    for (const char* name : stale) {
        put(path(name), "half");
        ASSERT_EQ(utime(path(name).c_str(), &times), 0);
    }
    for (const char* name : kept) {
        put(path(name), "keep");
        if (std::string(name) != ".Trackmill.INI.fresh") {
            ASSERT_EQ(utime(path(name).c_str(), &times), 0);
        }
    }
    // A link of that shape is not a file of ours, whatever it points to.
    ASSERT_EQ(symlink("Trackmill.INI", path(".Trackmill.INI.abc").c_str()), 0);

    EXPECT_EQ(removeStaleTemporaryFiles(target), 3);
    for (const char* name : stale)
        EXPECT_EQ(get(path(name)), "<missing>") << name;
    for (const char* name : kept)
        EXPECT_EQ(get(path(name)), "keep") << name;
    EXPECT_TRUE(isLink(path(".Trackmill.INI.abc")));
    EXPECT_EQ(get(target), "[MAIN]\r\n");

    // Through a link the temporary files lie beside its target.
    ASSERT_EQ(mkdir(path("real").c_str(), 0700), 0);
    put(path("real/CDPLAYER.INI"), "");
    put(path("real/.CDPLAYER.INI.abc"), "half");
    ASSERT_EQ(utime(path("real/.CDPLAYER.INI.abc").c_str(), &times), 0);
    ASSERT_EQ(symlink("real/CDPLAYER.INI", path("CDPLAYER.INI").c_str()), 0);
    EXPECT_EQ(removeStaleTemporaryFiles(path("CDPLAYER.INI")), 1);
    EXPECT_EQ(get(path(".CDPLAYER.INI.abc")), "keep");
}

TEST_F(IniFiles, ASaveKilledBeforeItsRenameIsCleanedUpAtTheNextStart)
{
    const std::string target = path("CDPLAYER.INI");
    put(target, "[old]\r\n");
    // The child is killed in the middle of its write: a file size limit
    // with the default action of SIGXFSZ ends it as a kill would.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_DFL);
        const rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::string error;
        writeFileAtomically(target, std::string(1 << 20, 'x'), &error);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << status;

    std::vector<std::string> names = entries();
    ASSERT_EQ(names.size(), 2u);
    const std::string left = names[0] == "CDPLAYER.INI" ? names[1] : names[0];
    EXPECT_TRUE(isTemporaryName(left, "CDPLAYER.INI")) << left;
    EXPECT_EQ(get(target), "[old]\r\n");

    // Fresh, it may be a save under way; an hour later it is stale.
    EXPECT_EQ(removeStaleTemporaryFiles(target), 0);
    const time_t old = time(nullptr) - 3600;
    const utimbuf times{old, old};
    ASSERT_EQ(utime(path(left).c_str(), &times), 0);
    EXPECT_EQ(removeStaleTemporaryFiles(target), 1);
    EXPECT_EQ(entries(), std::vector<std::string>{"CDPLAYER.INI"});
}

}
}
