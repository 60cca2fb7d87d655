// SPDX-License-Identifier: GPL-2.0-or-later
// A CDDB query for the disc in an image drive: the TOC comes from the
// drive part of the library, as for a real drive.
#include "akrip32.h"
#include "akrip32_testing.h"
#include "cddbserver.h"
#include "discimage.h"
#include "testenvironment.h"

#include <discid/discid.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using trackmill::test::CddbServer;
namespace di = trackmill::discimage;

TEST(CddbThroughADrive, EnhancedCdIsQueriedAsRecorded)
{
    const std::string dir = trackmill::test::isolatedRoot().toStdString() + "/cddb-discs";
    di::DiscSpec discSpec;
    discSpec.trackBytes = {di::bytesForSeconds(4.2), di::bytesForSeconds(6), di::bytesForSeconds(3.1)};
    discSpec.dataTrack = true;
    const di::DiscLayout disc = di::writeDisc(dir + "/enhanced", discSpec);

    AkripTestReset();
    AkripTestResetCddb();
    AkripTestUsePhysicalDrives(0);
    AkripTestSetDiscsDir(dir.c_str());
    GETCDHAND request {};
    request.size = 12;
    request.ver = 1;
    const HCDROM handle = GetCDHandle(&request);
    ASSERT_NE(handle, 0u);

    // What any other CDDB client computes for this disc: the data track
    // where it lies, after the session gap.
    std::vector<int> offsets = {int(disc.totalSectors + 150)};
    for (const uint32_t start : disc.trackStart)
        offsets.push_back(int(start + 150));
    offsets.push_back(int(disc.dataStart + 150));
    DiscId* reference = discid_new();
    ASSERT_EQ(discid_put(reference, 1, int(offsets.size() - 1), offsets.data()), 1);
    const std::string cddbId = discid_get_freedb_id(reference);
    discid_free(reference);
    std::string expected = "cddb query " + cddbId + " 4";
    for (std::size_t i = 1; i < offsets.size(); ++i)
        expected += ' ' + std::to_string(offsets[i]);
    expected += ' ' + std::to_string(offsets[0] / 75);

    CddbServer server;
    server.setQueryAnswer(CddbServer::exactMatch("misc", cddbId, "Image / Disc"));
    server.setReadAnswer("misc", cddbId,
                         CddbServer::entry("misc", cddbId,
                                           {"DTITLE=Image / Disc", "TTITLE0=a", "TTITLE1=b", "TTITLE2=c", "TTITLE3=data"}));
    AkripTestSetCddbTimeouts(1000, 3000);
    CDDBSetOption(CDDB_OPT_SERVER, "127.0.0.1", 0);
    CDDBSetOption(CDDB_OPT_HTTPPORT, "", server.port());
    CDDBSetOption(CDDB_OPT_USECDPLAYERINI, "", 1);
    const std::string iniPath = std::string(std::getenv("XDG_CONFIG_HOME")) + "/Trackmill/CDPLAYER.INI";
    std::filesystem::remove(iniPath);

    // The program's own address mode of the handle stays as it set it.
    ModifyCDParms(handle, CDP_MSF, 1);
    CDDBQUERYITEM items[5] {};
    CDDBQUERY query {5, items};
    CDDBQuery(handle, &query);
    ASSERT_EQ(query.num, 1u);
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].cmd, expected);
    TOC toc;
    ASSERT_EQ(ReadTOC(handle, &toc), 1u);
    EXPECT_EQ(toc.tracks[0].addr[2], 2); // still 00:02:00, not LBA 0

    // Option 8 stores under the CD Player id, the sum of the MSF starts of
    // the audio tracks; the final data track gets no name.
    char text[32000];
    ASSERT_EQ(CDDBGetDiskInfo(&items[0], text, sizeof text), 1u);
    uint32_t sum = 0;
    for (const uint32_t start : disc.trackStart) {
        const uint32_t f = start + 150;
        sum += (f / 4500) << 16 | (f / 75 % 60) << 8 | f % 75;
    }
    char section[16];
    std::snprintf(section, sizeof section, "[%04X]", sum);
    std::ostringstream ini;
    ini << std::ifstream(iniPath, std::ios::binary).rdbuf();
    EXPECT_EQ(ini.str(), std::string(section) + "\r\nEntryTypeInt=1\r\nartist=Image\r\ntitle=Disc\r\nyear=\r\n"
                                                "numtracks=3\r\n0=a\r\n1=b\r\n2=c\r\n");

    CloseCDHandle(handle);
    AkripTestResetCddb();
    AkripTestReset();
}

}
