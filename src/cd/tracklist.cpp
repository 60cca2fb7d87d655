// SPDX-License-Identifier: GPL-2.0-or-later
#include "tracklist.h"

#include "cd/cddrives.h"
#include "platform/hiddenlog.h"

#include <QLocale>
#include <QStringList>
#include <algorithm>

namespace trackmill {

namespace {

// Bytes 4..7 of an entry, big-endian, as a signed 32-bit address.
qint64 entryAddress(const TOCTRACK& entry)
{
    const quint32 a = (quint32(entry.addr[0]) << 24) | (quint32(entry.addr[1]) << 16)
                      | (quint32(entry.addr[2]) << 8) | quint32(entry.addr[3]);
    return qint64(qint32(a));
}

QString twoDigits(qint64 value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

// Highest row that carries a selection slot.
int lastSlotRow(int rowCount)
{
    return std::min(rowCount - 1, TrackList::kSlots);
}

}

bool TrackList::trackExtent(const TOC& toc, int n, TrackExtent& extent)
{
    // Entry n - 1 belongs to track n; its length runs to entry n.
    if (n < 1 || n >= TRACKS_PER_DISK)
        return false;
    const TOCTRACK& entry = toc.tracks[n - 1];
    const TOCTRACK& next = toc.tracks[n];
    extent.control = entry.ADR;
    extent.start = entryAddress(entry);
    extent.length = entryAddress(next) - extent.start;
    if (next.ADR == 0x14)
        extent.length -= kDataSessionGap;
    return true;
}

TrackList::TrackKind TrackList::kindOf(BYTE control)
{
    if (control == 0x10 || control == 0x12)
        return TrackKind::Audio;
    if (control == 0x14)
        return TrackKind::Data;
    return TrackKind::Other;
}

QString TrackList::sizeText(qint64 frames, QChar decimalPoint)
{
    // 176400 bytes per second of audio.
    const double megabytes = double(frames) / kFramesPerSecond * 176400.0 / 1024.0 / 1024.0;
    QString s = QString::asprintf("%6.2f", megabytes);
    s.replace(QLatin1Char('.'), decimalPoint);
    QString pad;
    if (s.at(0) != QLatin1Char(' ') && s.at(0) != QLatin1Char('-'))
        pad = QStringLiteral("   ");
    else if (s.at(1) != QLatin1Char(' '))
        pad = QStringLiteral("    ");
    else
        pad = QStringLiteral("     ");
    return pad + s + QStringLiteral(" MB");
}

QString TrackList::timeText(qint64 frames)
{
    // The length as a time of day: whole seconds, shown as minutes past the
    // hour and seconds.
    const qint64 seconds = (frames < 0 ? -frames : frames) / kFramesPerSecond;
    return twoDigits((seconds / 60) % 60) + QLatin1Char(':') + twoDigits(seconds % 60);
}

TrackList::TrackList(CdDrives& drives, HiddenLog& log, QObject* parent)
    : QAbstractTableModel(parent), m_drives(drives), m_log(log),
      m_decimalPoint(QLocale().decimalPoint().isEmpty() ? QLatin1Char('.')
                                                        : QLocale().decimalPoint().at(0))
{
    beginResetModel();
    m_rows.append(Row{});
    endResetModel();
}

bool TrackList::GetCDTOC()
{
    if (!m_drives.checkHandle()) {
        showNoDisc();
        return false;
    }
    TOC toc;
    if (!m_drives.readToc(toc, 0)) {
        m_log.add(QStringLiteral("Insert CD Audio to CD-ROM drive"));
        showNoDisc();
        return false;
    }
    return buildFromToc(toc);
}

bool TrackList::buildFromToc(const TOC& toc)
{
    // Tracks 1..99 have an entry and a following entry; anything outside is
    // ignored, so a hostile TOC cannot lead past the 100 entries.
    const int first = std::max<int>(toc.firstTrack, 1);
    const int last = std::min<int>(toc.lastTrack, TRACKS_PER_DISK - 1);
    if (first > last) {
        m_log.add(QStringLiteral("Insert CD Audio to CD-ROM drive"));
        showNoDisc();
        return false;
    }

    beginResetModel();
    m_rows.clear();
    m_toolTips.clear();
    m_discAudioLength = 0;
    m_audioDisc = true;
    // Row n is track n; rows in front of the first track stay blank.
    m_rows.resize(last);
    for (int n = first; n <= last; ++n) {
        TrackExtent extent;
        trackExtent(toc, n, extent);
        const TrackKind kind = kindOf(extent.control);
        if (n == first && kind == TrackKind::Data)
            m_audioDisc = false;
        Row& row = m_rows[n - 1];
        if (kind == TrackKind::Audio)
            row[1] = (n < 10 ? QStringLiteral("AudioTrack 0") : QStringLiteral("AudioTrack "))
                     + QString::number(n);
        else if (kind == TrackKind::Data)
            row[1] = QStringLiteral("DataTrack");
        row[2] = (n < 10 ? QStringLiteral("    0") : QStringLiteral("    ")) + QString::number(n);
        row[3] = QStringLiteral("   ") + timeText(extent.length);
        if (kind == TrackKind::Audio)
            m_discAudioLength += extent.length;
        row[4] = sizeText(extent.length, m_decimalPoint);
        row[5].clear();
    }
    endResetModel();
    return true;
}

void TrackList::showNoDisc()
{
    beginResetModel();
    m_rows.clear();
    m_toolTips.clear();
    Row row;
    row[1] = m_texts.message;
    m_rows.append(row);
    m_audioDisc = false;
    m_discAudioLength = 0;
    endResetModel();
}

QString TrackList::cell(int column, int row) const
{
    if (column < 0 || column >= kColumns || row < 0 || row >= RowCount())
        return QString();
    if (row == 0)
        return m_texts.headers[column];
    if (column == 0)
        return isSelected(row) ? QStringLiteral("1") : QStringLiteral("0");
    return m_rows.at(row - 1).at(column);
}

void TrackList::setCell(int column, int row, const QString& text)
{
    if (column < 0 || column >= kColumns || row < 1 || row >= RowCount())
        return;
    if (column == 0) {
        setSelection(row, text != QLatin1String("0"));
        return;
    }
    m_rows[row - 1][column] = text;
    const QModelIndex at = index(row - 1, column);
    Q_EMIT dataChanged(at, at);
}

void TrackList::setToolTip(int column, int row, const QString& text)
{
    if (column < 0 || column >= kColumns || row < 1 || row >= RowCount())
        return;
    m_toolTips.insert({row, column}, text);
    const QModelIndex at = index(row - 1, column);
    Q_EMIT dataChanged(at, at, {Qt::ToolTipRole});
}

QString TrackList::toolTip(int column, int row) const
{
    return m_toolTips.value({row, column});
}

void TrackList::GetSize(qint64 frames, int row)
{
    setCell(4, row, sizeText(frames, m_decimalPoint));
}

bool TrackList::GetCDAudioInfo()
{
    TOC toc;
    if (!m_drives.readToc(toc, 0))
        return false;
    const int last = toc.lastTrack;
    if (last < 1 || last > TRACKS_PER_DISK)
        return false;
    return toc.tracks[last - 1].ADR == 0x14;
}

void TrackList::CheckOrNotAllTracks(int count, QChar mark)
{
    m_slots.fill(0);
    const std::uint8_t value = mark == QLatin1Char('1') ? 1 : 0;
    const int upTo = std::min(count, lastSlotRow(RowCount()));
    for (int r = 1; r <= upTo; ++r)
        m_slots[r] = value;
    notifySelection(1, RowCount() - 1);
}

bool TrackList::toggleSelection(int row)
{
    setSelection(row, !isSelected(row));
    return isSelected(row);
}

void TrackList::setSelection(int row, bool selected)
{
    if (row < 1 || row > lastSlotRow(RowCount()))
        return;
    m_slots[row] = selected ? 1 : 0;
    notifySelection(row, row);
}

bool TrackList::isSelected(int row) const
{
    return row >= 1 && row <= kSlots && m_slots[row] == 1;
}

void TrackList::notifySelection(int firstRow, int lastRow)
{
    if (lastRow >= firstRow)
        Q_EMIT dataChanged(index(firstRow - 1, 0), index(lastRow - 1, 0));
    Q_EMIT selectionChanged();
}

bool TrackList::Selected() const
{
    for (int n = 1; n <= lastSlotRow(RowCount()); ++n) {
        if (m_slots[n] == 1)
            return true;
    }
    return false;
}

TrackList::SelectionFigures TrackList::SelectedTracks() const
{
    SelectionFigures figures;
    const int last = lastSlotRow(RowCount());
    for (int n = 1; n <= last; ++n) {
        if (m_slots[n] != 1)
            continue;
        if (figures.firstTrack == 0) {
            figures.firstTrack = n;
            figures.currentTrack = n;
        }
        ++figures.selectedCount;
    }
    return figures;
}

QString TrackList::MySelectedTracks() const
{
    QStringList numbers;
    for (int n = 1; n <= lastSlotRow(RowCount()); ++n) {
        if (m_slots[n] == 1)
            numbers.append(QString::number(n));
    }
    return numbers.join(QStringLiteral(", "));
}

int TrackList::NextTrack(int after) const
{
    // Track numbers are bytes.
    const int from = (after & 0xFF) + 1;
    for (int n = from; n <= lastSlotRow(RowCount()); ++n) {
        if (m_slots[n] == 1)
            return n;
    }
    return 0;
}

QString TrackList::summaryText(bool trailingDataTrack) const
{
    if (!m_audioDisc) {
        return QStringLiteral("0 ") + m_texts.tracks + QStringLiteral(",  ") + m_texts.playtime
               + QStringLiteral(": ") + timeText(m_discAudioLength);
    }
    const qint64 seconds = m_discAudioLength / kFramesPerSecond;
    const int count = RowCount() - (trailingDataTrack ? 2 : 1);
    return QString::number(count) + QLatin1Char(' ') + m_texts.tracks + QStringLiteral(", ")
           + m_texts.playtime + QLatin1Char(' ') + QString::number(seconds / 60) + QLatin1Char(':')
           + twoDigits(seconds % 60);
}

QString TrackList::ShowInformationStatusBar()
{
    return summaryText(m_audioDisc && GetCDAudioInfo());
}

void TrackList::setTexts(const TrackListTexts& texts)
{
    m_texts = texts;
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, kColumns - 1);
}

int TrackList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int TrackList::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QVariant TrackList::data(const QModelIndex& index, int role) const
{
    if (index.isValid() && role == Qt::ToolTipRole) {
        const QString tip = toolTip(index.column(), index.row() + 1);
        return tip.isEmpty() ? QVariant() : QVariant(tip);
    }
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return cell(index.column(), index.row() + 1);
}

bool TrackList::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    setCell(index.column(), index.row() + 1, value.toString());
    return true;
}

QVariant TrackList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return cell(section, 0);
}

Qt::ItemFlags TrackList::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.isValid() && index.column() == 1)
        f |= Qt::ItemIsEditable;
    return f;
}

}
