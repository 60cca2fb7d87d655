// SPDX-License-Identifier: GPL-2.0-or-later
// FLAC files as other programs read them: decoded by libsndfile, the
// metadata blocks walked with libFLAC's own reader.
#pragma once

#include <FLAC/metadata.h>
#include <sndfile.h>

#include <QByteArray>
#include <QFile>
#include <QString>

#include <vector>

namespace trackmill::test {

// What a decoder other than ours finds in the file, as the bytes of a WAV
// data chunk (16-bit little-endian, interleaved).
inline QByteArray decoded(const QString& path, sf_count_t* frames = nullptr)
{
    SF_INFO info {};
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!f)
        return {};
    std::vector<short> samples(size_t(info.frames * info.channels));
    const sf_count_t got = sf_readf_short(f, samples.data(), info.frames);
    sf_close(f);
    if (frames)
        *frames = got;
    QByteArray bytes;
    for (short s : samples) {
        bytes.append(char(s & 0xff));
        bytes.append(char((s >> 8) & 0xff));
    }
    return bytes;
}

struct Blocks
{
    std::vector<FLAC__MetadataType> types;
    std::vector<FLAC__uint64> seekPoints;
    unsigned padding = 0;
    QByteArray md5;
    FLAC__uint64 totalSamples = 0;
};

inline Blocks blocksOf(const QString& path)
{
    Blocks b;
    FLAC__Metadata_Chain* chain = FLAC__metadata_chain_new();
    if (FLAC__metadata_chain_read(chain, QFile::encodeName(path).constData())) {
        FLAC__Metadata_Iterator* it = FLAC__metadata_iterator_new();
        FLAC__metadata_iterator_init(it, chain);
        do {
            const FLAC__StreamMetadata* m = FLAC__metadata_iterator_get_block(it);
            b.types.push_back(m->type);
            if (m->type == FLAC__METADATA_TYPE_STREAMINFO) {
                b.md5 = QByteArray(reinterpret_cast<const char*>(m->data.stream_info.md5sum), 16);
                b.totalSamples = m->data.stream_info.total_samples;
            } else if (m->type == FLAC__METADATA_TYPE_SEEKTABLE) {
                for (unsigned i = 0; i < m->data.seek_table.num_points; ++i)
                    b.seekPoints.push_back(m->data.seek_table.points[i].sample_number);
            } else if (m->type == FLAC__METADATA_TYPE_PADDING) {
                b.padding = m->length;
            }
        } while (FLAC__metadata_iterator_next(it));
        FLAC__metadata_iterator_delete(it);
    }
    FLAC__metadata_chain_delete(chain);
    return b;
}

}
