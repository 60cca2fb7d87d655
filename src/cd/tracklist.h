// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "akrip32.h"
#include "tracklisttexts.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QChar>
#include <QList>
#include <array>
#include <cstdint>

namespace trackmill {

class CdDrives;
class HiddenLog;

// The Track list: the model of the disc in the selected drive. Rows and
// columns are counted as the grid shows them: row 0 is the header, row n is
// track n; columns are selection mark, name, number, time, size and
// information. The selection marks live in 255 slots (1..255) that column 0
// always mirrors as "1" or "0".
//
// As a Qt table model, model row i is grid row i + 1 and the header row is
// the horizontal header.
class TrackList : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int kColumns = 6;
    static constexpr int kSlots = 255;
    // A sector of 2352 bytes is 1/75 s; 11250 sectors (2 min 30 s) separate
    // the audio from a following data session.
    static constexpr int kFramesPerSecond = 75;
    static constexpr int kDataSessionGap = 11250;

    enum class TrackKind { Audio, Data, Other };

    struct TrackExtent
    {
        qint64 start = 0;   // sectors
        qint64 length = 0;  // sectors
        BYTE control = 0;
    };

    // Start, length and control byte of track n as the Track list and the
    // ripper read them (entry n - 1, length to the next entry, less the data
    // session gap in front of a data track). False when n has no entry and
    // no following entry in the 100 entries of a TOC.
    static bool trackExtent(const TOC& toc, int n, TrackExtent& extent);
    static TrackKind kindOf(BYTE control);

    // "%6.2f" megabytes with the decimal point given, padded to line up:
    // 12, 13 or 14 characters with " MB".
    static QString sizeText(qint64 frames, QChar decimalPoint);
    // Minutes past the hour and seconds, two digits each ("nn:ss").
    static QString timeText(qint64 frames);

    TrackList(CdDrives& drives, HiddenLog& log, QObject* parent = nullptr);

    // Reads the TOC through the CD handle and rebuilds the list. Answers
    // whether a TOC was read (false: the no-disc row is shown, and the
    // window clears its artist and album).
    bool GetCDTOC();
    // Rebuilds from a TOC that was read. A TOC without any track is shown as
    // no disc (answer false).
    bool buildFromToc(const TOC& toc);
    // One row holding the no-disc text; audio disc flag false.
    void showNoDisc();

    // Audio disc flag: a TOC was read and track 1 is not a data track.
    bool CD() const { return m_audioDisc; }
    // Sum of the audio tracks' lengths, sectors.
    qint64 discAudioLength() const { return m_discAudioLength; }

    // Grid view: RowCount counts the header row.
    int RowCount() const { return int(m_rows.size()) + 1; }
    QString cell(int column, int row) const;
    // Writes a cell of a data row; column 0 takes "1"/"0" and sets the slot.
    void setCell(int column, int row, const QString& text);
    QString trackName(int row) const { return cell(1, row); }
    // A cell's tool tip (a track's long result); a new disc clears them.
    void setToolTip(int column, int row, const QString& text);
    QString toolTip(int column, int row) const;

    void GetSize(qint64 frames, int row);
    bool GetCDAudioInfo();

    void CheckOrNotAllTracks(int count, QChar mark);
    // Toggles the mark of a data row; answers the new state.
    bool toggleSelection(int row);
    void setSelection(int row, bool selected);
    bool isSelected(int row) const;

    bool Selected() const;
    struct SelectionFigures
    {
        int firstTrack = 0;
        int currentTrack = 0;
        int selectedCount = 0;
    };
    SelectionFigures SelectedTracks() const;
    QString MySelectedTracks() const;
    int NextTrack(int after) const;

    // The disc summary of status bar panel 2. trailingDataTrack: the last
    // track of the disc is data and is not counted.
    QString summaryText(bool trailingDataTrack) const;
    // Reads the TOC again for the trailing data track and returns the summary.
    QString ShowInformationStatusBar();

    const TrackListTexts& texts() const { return m_texts; }
    void setTexts(const TrackListTexts& texts);
    void setDecimalPoint(QChar point) { m_decimalPoint = point; }

    // QAbstractTableModel
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

Q_SIGNALS:
    void selectionChanged();

private:
    using Row = std::array<QString, kColumns>;
    void notifySelection(int firstRow, int lastRow);

    CdDrives& m_drives;
    HiddenLog& m_log;
    TrackListTexts m_texts;
    QList<Row> m_rows;
    QHash<QPair<int, int>, QString> m_toolTips; // (row, column)
    std::array<std::uint8_t, kSlots + 1> m_slots{};  // slot 0 unused
    bool m_audioDisc = false;
    qint64 m_discAudioLength = 0;
    QChar m_decimalPoint;
};

}
