// SPDX-License-Identifier: GPL-2.0-or-later
#include "vorbiscomments.h"

#include <FLAC/metadata.h>

#include "metadata/coverart.h"

#include <QFile>

namespace trackmill {

FlacComments vorbisComments(const VorbisTrack& t)
{
    FlacComments c;
    auto add = [&](const char* name, const QString& value) {
        if (!value.isEmpty())
            c.append({QByteArray(name), value});
    };
    auto number = [](int n) { return n > 0 ? QString::number(n) : QString(); };
    add("ARTIST", t.artist);
    if (!t.albumArtist.isEmpty() && t.albumArtist != t.artist)
        add("ALBUMARTIST", t.albumArtist);
    add("ALBUM", t.album);
    add("TITLE", t.title);
    add("TRACKNUMBER", number(t.number));
    add("TRACKTOTAL", number(t.total));
    // Only a disc of a set says which it is.
    const bool ofSet = t.discTotal > 1 && t.disc >= 1 && t.disc <= t.discTotal;
    add("DISCNUMBER", ofSet ? number(t.disc) : QString());
    add("DISCTOTAL", ofSet ? number(t.discTotal) : QString());
    add("DATE", t.date);
    add("GENRE", t.genre);
    add("COMMENT", t.comment);
    add("COMPOSER", t.composer);
    add("COPYRIGHT", t.copyright);
    add("ENCODER", t.encoder);
    return c;
}

namespace {

// Replaces the chain's front covers by one picture block at the end of the
// metadata (before the padding once sorted). An empty text when done.
QString putFrontCover(FLAC__Metadata_Chain* chain, const QByteArray& cover, const QByteArray& mimeType)
{
    FLAC__Metadata_Iterator* it = FLAC__metadata_iterator_new();
    FLAC__metadata_iterator_init(it, chain);
    do {
        const FLAC__StreamMetadata* block = FLAC__metadata_iterator_get_block(it);
        if (block->type == FLAC__METADATA_TYPE_PICTURE
            && block->data.picture.type == FLAC__STREAM_METADATA_PICTURE_TYPE_FRONT_COVER)
            FLAC__metadata_iterator_delete_block(it, /*replace_with_padding=*/true);
    } while (FLAC__metadata_iterator_next(it));

    FLAC__StreamMetadata* picture = FLAC__metadata_object_new(FLAC__METADATA_TYPE_PICTURE);
    picture->data.picture.type = FLAC__STREAM_METADATA_PICTURE_TYPE_FRONT_COVER;
    QByteArray mime = mimeType;
    QByteArray description;
    const bool set = FLAC__metadata_object_picture_set_mime_type(picture, mime.data(), /*copy=*/true)
                     && FLAC__metadata_object_picture_set_description(
                         picture, reinterpret_cast<FLAC__byte*>(description.data()), /*copy=*/true)
                     && FLAC__metadata_object_picture_set_data(
                         picture, reinterpret_cast<FLAC__byte*>(const_cast<char*>(cover.constData())),
                         FLAC__uint32(cover.size()), /*copy=*/true);
    if (const auto size = jpegSize(cover)) {
        picture->data.picture.width = FLAC__uint32(size->first);
        picture->data.picture.height = FLAC__uint32(size->second);
        picture->data.picture.depth = 24;
    }
    const char* why = nullptr;
    if (!set || !FLAC__metadata_object_picture_is_legal(picture, &why)) {
        FLAC__metadata_object_delete(picture);
        FLAC__metadata_iterator_delete(it);
        return QStringLiteral("the cover picture cannot be stored (%1)").arg(QString::fromLatin1(why ? why : "no memory"));
    }
    // The iterator stands on the last block: the picture goes after it.
    if (!FLAC__metadata_iterator_insert_block_after(it, picture)) {
        FLAC__metadata_object_delete(picture);
        FLAC__metadata_iterator_delete(it);
        return QStringLiteral("the cover picture cannot be stored");
    }
    FLAC__metadata_iterator_delete(it);
    return {};
}

}

QString writeVorbisComments(const QString& file, const FlacComments& comments)
{
    return writeVorbisComments(file, comments, QByteArray(), QByteArray());
}

QString writeVorbisComments(const QString& file, const FlacComments& comments, const QByteArray& cover,
                            const QByteArray& coverMimeType)
{
    const QByteArray native = QFile::encodeName(file);
    FLAC__Metadata_Chain* chain = FLAC__metadata_chain_new();
    auto fail = [&](const QString& why) {
        FLAC__metadata_chain_delete(chain);
        return file + QStringLiteral(": ") + why;
    };
    auto chainFailure = [&] {
        return fail(QString::fromLatin1(FLAC__Metadata_ChainStatusString[FLAC__metadata_chain_status(chain)]));
    };
    if (!FLAC__metadata_chain_read(chain, native.constData()))
        return chainFailure();

    FLAC__StreamMetadata* block = nullptr;
    FLAC__Metadata_Iterator* it = FLAC__metadata_iterator_new();
    FLAC__metadata_iterator_init(it, chain);
    do {
        if (FLAC__metadata_iterator_get_block_type(it) == FLAC__METADATA_TYPE_VORBIS_COMMENT) {
            block = FLAC__metadata_iterator_get_block(it);
            break;
        }
    } while (FLAC__metadata_iterator_next(it));
    if (!block) {
        // A file without a comment block gets one right after STREAMINFO.
        block = FLAC__metadata_object_new(FLAC__METADATA_TYPE_VORBIS_COMMENT);
        FLAC__metadata_iterator_init(it, chain);
        if (!FLAC__metadata_iterator_insert_block_after(it, block)) {
            FLAC__metadata_object_delete(block);
            FLAC__metadata_iterator_delete(it);
            return chainFailure();
        }
    }
    FLAC__metadata_iterator_delete(it);

    FLAC__metadata_object_vorbiscomment_resize_comments(block, 0);
    for (const auto& [name, value] : comments) {
        FLAC__StreamMetadata_VorbisComment_Entry entry;
        if (!FLAC__metadata_object_vorbiscomment_entry_from_name_value_pair(&entry, name.constData(),
                                                                            value.toUtf8().constData()))
            return fail(QStringLiteral("the comment name %1 is not allowed").arg(QString::fromLatin1(name)));
        FLAC__metadata_object_vorbiscomment_append_comment(block, entry, /*copy=*/false);
    }
    if (!cover.isEmpty()) {
        const QString error = putFrontCover(chain, cover, coverMimeType);
        if (!error.isEmpty())
            return fail(error);
    }
    // Padding moved behind the comments so they grow into it; a file is
    // rewritten (through a temporary copy) only when they do not fit.
    FLAC__metadata_chain_sort_padding(chain);
    if (!FLAC__metadata_chain_write(chain, /*use_padding=*/true, /*preserve_file_stats=*/true))
        return chainFailure();
    FLAC__metadata_chain_delete(chain);
    return {};
}

}
