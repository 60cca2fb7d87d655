// SPDX-License-Identifier: GPL-2.0-or-later
#include "akriptestfixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace trackmill::test {

std::vector<TocEntry> tocEntries(const TOC& toc)
{
    std::vector<TocEntry> entries;
    if (toc.lastTrack < toc.firstTrack)
        return entries;
    const int count = toc.lastTrack - toc.firstTrack + 2;
    for (int i = 0; i < count && i < TRACKS_PER_DISK; ++i) {
        const TOCTRACK& t = toc.tracks[i];
        entries.push_back({t.ADR, t.trackNumber,
                           static_cast<uint32_t>(t.addr[0]) << 24 | static_cast<uint32_t>(t.addr[1]) << 16
                               | static_cast<uint32_t>(t.addr[2]) << 8 | t.addr[3]});
    }
    return entries;
}

discimage::DiscSpec audioSpec(std::vector<uint64_t> trackBytes)
{
    discimage::DiscSpec discSpec;
    discSpec.trackBytes = std::move(trackBytes);
    return discSpec;
}

ReadBuffer::ReadBuffer(uint32_t frames)
    : bytes(TRACKBUFEXTRA + static_cast<size_t>(frames) * discimage::kSectorBytes, 0xCD)
{
    get()->maxLen = frames * discimage::kSectorBytes;
}

void AkripTest::SetUp()
{
    AkripTestReset();
    AkripTestUsePhysicalDrives(0);
    std::string pattern = (std::filesystem::temp_directory_path() / "akrip-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    AkripTestSetDiscsDir(dir_.c_str());
}

void AkripTest::TearDown()
{
    for (HCDROM h : opened_)
        CloseCDHandle(h);
    AkripTestReset();
    AkripTestUsePhysicalDrives(0);
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

void AkripTest::writeFile(const std::string& name, const std::string& bytes) const
{
    std::ofstream out(path(name), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << name;
}

CDLIST AkripTest::driveList(BYTE max) const
{
    CDLIST list {};
    list.max = max;
    EXPECT_EQ(GetCDList(&list), static_cast<DWORD>(SS_COMP));
    return list;
}

HCDROM AkripTest::open(BYTE ha)
{
    GETCDHAND req {};
    req.size = sizeof req;
    req.ver = 1;
    req.ha = ha;
    const HCDROM h = GetCDHandle(&req);
    if (h)
        opened_.push_back(h);
    return h;
}

DWORD AkripTest::readToc(HCDROM h, bool msf, TOC& toc) const
{
    EXPECT_EQ(ModifyCDParms(h, CDP_MSF, msf ? 1 : 0), 1u);
    return ReadTOC(h, &toc);
}

RipResult AkripTest::rip(HCDROM h, uint32_t start, uint32_t length) const
{
    RipResult r;
    ReadBuffer buffer(26);
    TRACKBUF* t = buffer.get();
    while (length > 0) {
        const uint32_t n = length < 26 ? length : 26;
        t->startFrame = start;
        t->numFrames = n;
        t->len = 12345;
        t->status = 99;
        t->startOffset = 77;
        const DWORD status = ReadCDAudioLBA(h, t);
        ++r.reads;
        r.lastStatus = status;
        EXPECT_EQ(status, t->status);
        if (status != SS_COMP) {
            EXPECT_EQ(t->len, 0u) << "a failed read hands back no data";
            break;
        }
        EXPECT_EQ(t->len, n * discimage::kSectorBytes);
        EXPECT_EQ(t->startOffset, 0);
        r.pcm.insert(r.pcm.end(), t->buf + t->startOffset, t->buf + t->startOffset + t->len);
        start += n;
        length -= n;
    }
    return r;
}

}
