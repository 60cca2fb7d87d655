// SPDX-License-Identifier: GPL-2.0-or-later
// The freedb lookup against a scripted CDDB client (the disc names tests
// run it through the library against the local test server).
#include "app/hiddenlog.h"
#include "metadata/freedblookup.h"

#include <gtest/gtest.h>

#include <map>

namespace trackmill {
namespace {

class ScriptedCddb : public CddbService
{
public:
    struct OptionCall
    {
        int option;
        QByteArray text;
        int value;
        bool operator==(const OptionCall&) const = default;
    };

    void setOption(Option option, const QByteArray& text, int value) override { options.append({int(option), text, value}); }
    QList<CddbMatchRecord> query(int capacity) override
    {
        ++queries;
        lastCapacity = capacity;
        return matches.mid(0, capacity);
    }
    std::optional<QString> diskInfo(const CddbMatchRecord& match) override
    {
        const auto it = entries.find(match.discId);
        return it == entries.end() ? std::nullopt : std::optional(it->second);
    }

    QList<OptionCall> options;
    QList<CddbMatchRecord> matches;
    std::map<QString, QString> entries; // by disc id
    int queries = 0;
    int lastCapacity = 0;
};

QString entryWithTitles(const QString& prefix, int count)
{
    QString text = QStringLiteral("DISCID=x\nDTITLE=%1 / Album\n").arg(prefix);
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("TTITLE%1=%2 %3\n").arg(i).arg(prefix).arg(i + 1);
    return text + QStringLiteral("EXTD=extra\nEXTT0=\nPLAYORDER=\n");
}

TEST(FreedbLookup, OptionsInOrder)
{
    using O = ScriptedCddb::OptionCall;
    struct Case { const char* name; FreedbSettings settings; QList<O> proxyOptions; };
    const QList<Case> cases = {
        {"no proxy", {false, "proxy.lan", "3128", false}, {{2, "", 0}}},
        {"proxy", {true, "proxy.lan", " 3128 ", true}, {{2, "", 1}, {1, "proxy.lan", 0}, {5, "", 3128}}},
        {"proxy without port", {true, "proxy.lan", "", false}, {{2, "", 0}}},
        {"proxy without host", {true, "", "3128", false}, {{2, "", 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedCddb cddb;
        HiddenLog log;
        FreedbLookup(cddb, log).run(c.settings, 5);
        QList<O> expected = {{0, "gnudb.gnudb.org", 0}, {6, "/~cddb/cddb.cgi", 0},
                             {4, FreedbLookup::kDefaultEmail, 0}, {3, "Trackmill 2.0", 0}};
        expected += c.proxyOptions;
        expected += {O{7, "", 80}, O{8, "", c.settings.autoStore ? 1 : 0}};
        EXPECT_EQ(cddb.options, expected);
        EXPECT_EQ(cddb.lastCapacity, 5);
    }
}

TEST(FreedbLookup, ProxyPortThatIsNoNumberSendsNothing)
{
    for (const char* port : {"abc", "80a", "0x50", "-1", "0", "65536", "99999999999", "8 0"}) {
        SCOPED_TRACE(port);
        ScriptedCddb cddb;
        HiddenLog log;
        const FreedbResult result = FreedbLookup(cddb, log).run({true, "proxy.lan", port, false}, 5);
        EXPECT_EQ(result.status, FreedbResult::Status::InvalidProxyPort);
        EXPECT_TRUE(cddb.options.isEmpty());
        EXPECT_EQ(cddb.queries, 0);
        ASSERT_EQ(log.lines().size(), 1);
        EXPECT_TRUE(log.lines().first().contains(QLatin1String(port)));
    }
}

TEST(FreedbLookup, OneMatchWithElevenTracks)
{
    ScriptedCddb cddb;
    cddb.matches = {{"rock", "9a0b0c0b", "The Band", "The Album"}};
    cddb.entries["9a0b0c0b"] = entryWithTitles("Song", 11);
    HiddenLog log;
    const FreedbResult result = FreedbLookup(cddb, log).run({}, 12);

    EXPECT_EQ(result.status, FreedbResult::Status::Found);
    EXPECT_EQ(result.artist, "The Band");
    EXPECT_EQ(result.album, "The Album");
    ASSERT_EQ(result.trackNames.size(), 11);
    EXPECT_EQ(result.trackNames.last(), "Song 11");

    const QStringList& lines = log.lines();
    ASSERT_EQ(lines.size(), 1 + 2 + 11 + 3 + 1);
    EXPECT_EQ(lines.first(), "0: rock 9a0b0c0b The Band / The Album");
    EXPECT_EQ(lines[1], "DISCID=x");
    EXPECT_EQ(lines[3], "TTITLE0=Song 1");
    EXPECT_EQ(lines.last(), "The following matches were found:");
}

TEST(FreedbLookup, AllNamesComeFromTheFirstMatchThatArrived)
{
    ScriptedCddb cddb;
    cddb.matches = {{"rock", "00000001", "Lost", "Entry"},
                    {"jazz", "00000002", "Second", "Match"},
                    {"misc", "00000003", "Third", "Match"}};
    cddb.entries["00000002"] = entryWithTitles("Second", 3);
    cddb.entries["00000003"] = entryWithTitles("Third", 3);
    HiddenLog log;
    const FreedbResult result = FreedbLookup(cddb, log).run({}, 4);

    EXPECT_EQ(result.status, FreedbResult::Status::Found);
    EXPECT_EQ(result.artist, "Second");
    EXPECT_EQ(result.album, "Match");
    EXPECT_EQ(result.trackNames, (QStringList{"Second 1", "Second 2", "Second 3"}));
    EXPECT_EQ(log.lines()[1], "Error while getting DiskInfo");
    EXPECT_EQ(log.lines().count("The following matches were found:"), 2);

    // No entry at all: nothing found, no names.
    cddb.entries.clear();
    const FreedbResult none = FreedbLookup(cddb, log).run({}, 4);
    EXPECT_EQ(none.status, FreedbResult::Status::NotFound);
    EXPECT_TRUE(none.artist.isEmpty());
    EXPECT_EQ(log.lines().last(), "Error while getting DiskInfo");
    cddb.matches.clear();
    const qsizetype lines = log.lines().size();
    EXPECT_EQ(FreedbLookup(cddb, log).run({}, 4).status, FreedbResult::Status::NotFound);
    EXPECT_EQ(log.lines().size(), lines) << "no match, no log line";
}

TEST(FreedbLookup, OnlyTrackTitlesBecomeNames)
{
    struct Case { const char* name; QString info; int rows; QStringList names; };
    const QList<Case> cases = {
        {"grid longer than the entry", "TTITLE0=A\nTTITLE1=B\nEXTD=not a name\nEXTT0=nor this\n", 5, {"A", "B"}},
        {"grid shorter than the entry", "TTITLE0=A\nTTITLE1=B\nTTITLE2=C\n", 3, {"A", "B"}},
        {"no first title", "DTITLE=x / y\nTTITLE1=B\n", 5, {}},
        {"gap ends the names", "TTITLE0=A\nTTITLE2=C\n", 5, {"A"}},
        {"order of lines does not matter", "TTITLE1=B\nTTITLE0=A\n", 5, {"A", "B"}},
        {"odd keys ignored", "TTITLE0=A\nTTITLE01=x\nTTITLE+1=y\nTTITLE-1=z\nttitle1=w\nTTITLE1=B\n", 5, {"A", "B"}},
        {"first value of a repeated key", "TTITLE0=A\nTTITLE0=again\n", 5, {"A"}},
        {"value with '='", "TTITLE0=a=b\r\n", 2, {"a=b"}},
        {"no rows", "TTITLE0=A\n", 1, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FreedbLookup::trackTitles(c.info, c.rows - 1), c.names) << c.name;
}

}
}
