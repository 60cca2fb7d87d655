// SPDX-License-Identifier: GPL-2.0-or-later
#include "offsetreader.h"

#include <algorithm>
#include <cstring>

namespace trackmill {

namespace {

constexpr qint64 kSectorBytes = 2352;
constexpr qint64 kChunk = 26; // sectors per read, as the ripper reads

qint64 floorDiv(qint64 a, qint64 b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

}

OffsetReader::OffsetReader(int offsetSamples, qint64 audioFirst, qint64 audioEnd)
    : m_offsetBytes(qint64(std::clamp(offsetSamples, -kMaxOffset, kMaxOffset)) * 4)
    , m_audioFirst(audioFirst)
    , m_audioEnd(audioEnd)
    , m_storage(TRACKBUFEXTRA + kChunk * kSectorBytes)
{
}

bool OffsetReader::fetch(HCDROM cd, DWORD* status)
{
    // Beyond the audio: a stretch of silence up to where the audio starts.
    if (m_nextSector < m_audioFirst || m_nextSector >= m_audioEnd) {
        const qint64 n = m_nextSector < m_audioFirst ? std::min(kChunk, m_audioFirst - m_nextSector) : kChunk;
        m_pending.append(QByteArray(n * kSectorBytes, '\0'));
        m_nextSector += n;
        return true;
    }
    auto* t = reinterpret_cast<TRACKBUF*>(m_storage.data());
    const qint64 n = std::min(kChunk, m_audioEnd - m_nextSector);
    t->startFrame = DWORD(m_nextSector);
    t->numFrames = DWORD(n);
    t->maxLen = DWORD(kChunk * kSectorBytes);
    t->len = 0;
    t->status = SS_PENDING;
    t->startOffset = 0;
    *status = ReadCDAudioLBA(cd, t);
    if (*status != SS_COMP) {
        m_failed = m_nextSector;
        m_position = -1; // read again from scratch
        return false;
    }
    m_pending.append(reinterpret_cast<const char*>(t->buf), n * kSectorBytes);
    m_nextSector += n;
    return true;
}

DWORD OffsetReader::read(HCDROM cd, qint64 sector, qint64 count, TRACKBUF* buffer)
{
    buffer->len = 0;
    buffer->startOffset = 0;
    const qint64 want = count * kSectorBytes;
    if (count <= 0 || want > qint64(buffer->maxLen))
        return buffer->status = SS_INVALID_SRB;
    if (m_offsetBytes == 0) {
        buffer->startFrame = DWORD(sector);
        buffer->numFrames = DWORD(count);
        return ReadCDAudioLBA(cd, buffer);
    }
    const qint64 start = sector * kSectorBytes + m_offsetBytes;
    if (start != m_position) {
        // Not where the last read ended: start afresh at the sector that
        // holds the first byte wanted.
        m_nextSector = floorDiv(start, kSectorBytes);
        m_position = m_nextSector * kSectorBytes;
        m_pending.clear();
    }
    while (m_pending.size() - (start - m_position) < want) {
        DWORD status = SS_COMP;
        if (!fetch(cd, &status))
            return buffer->status = status;
    }
    const qint64 skip = start - m_position;
    std::memcpy(buffer->buf, m_pending.constData() + skip, size_t(want));
    m_pending.remove(0, skip + want);
    m_position = start + want;
    buffer->len = DWORD(want);
    return buffer->status = SS_COMP;
}

}
