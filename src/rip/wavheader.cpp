// SPDX-License-Identifier: GPL-2.0-or-later
#include "wavheader.h"

#include <QFile>
#include <QtEndian>

#include <cstring>

namespace trackmill {

namespace {

constexpr int kRiffSizeOffset = 4;
constexpr int kDataSizeOffset = 40;
// Everything of the RIFF chunk after its size field except the audio:
// "WAVE", the fmt chunk (8 + 16) and the data chunk's own 8 bytes.
constexpr std::uint32_t kRiffOverhead = 36;
// The largest audio size whose RIFF size still fits 32 bits, in whole frames.
constexpr std::uint32_t kMaxDataBytes =
    (0xFFFFFFFFu - kRiffOverhead) / WavHeader::kBlockAlign * WavHeader::kBlockAlign;

void put32(char* at, std::uint32_t value)
{
    qToLittleEndian<quint32>(value, at);
}

void put16(char* at, std::uint16_t value)
{
    qToLittleEndian<quint16>(value, at);
}

void setError(QString* error, const QString& path, const QString& reason)
{
    if (error)
        *error = path + QStringLiteral(": ") + reason;
}

} // namespace

QByteArray WavHeader::build(std::uint32_t dataBytes)
{
    QByteArray h(kSize, '\0');
    char* p = h.data();
    const std::uint32_t riff = dataBytes > 0xFFFFFFFFu - kRiffOverhead ? 0xFFFFFFFFu : dataBytes + kRiffOverhead;
    memcpy(p + 0, "RIFF", 4);
    put32(p + 4, riff);
    memcpy(p + 8, "WAVE", 4);
    memcpy(p + 12, "fmt ", 4);
    put32(p + 16, 16);     // fmt chunk size
    put16(p + 20, 1);      // PCM
    put16(p + 22, 2);      // channels
    put32(p + 24, 44100);  // samples per second
    put32(p + 28, 176400); // bytes per second: 44100 × 4
    put16(p + 32, kBlockAlign);
    put16(p + 34, 16);     // bits per sample
    memcpy(p + 36, "data", 4);
    put32(p + 40, dataBytes);
    return h;
}

bool WavHeader::fixSizes(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)) {
        setError(error, path, file.errorString());
        return false;
    }
    const QByteArray head = file.read(kSize);
    // Only our own layout is rewritten: the data chunk must sit at byte 36.
    if (head.size() < kSize || !head.startsWith("RIFF") || head.mid(8, 8) != "WAVEfmt "
        || head.mid(36, 4) != "data") {
        setError(error, path, QStringLiteral("not a WAV file with a 44-byte header"));
        return false;
    }

    const qint64 behind = file.size() - kSize;
    // Too long for 32-bit sizes (never from a CD track): announce what fits
    // and keep every byte. Otherwise drop a half frame left by a short write.
    const bool tooLong = behind > qint64(kMaxDataBytes);
    std::uint32_t data = tooLong ? kMaxDataBytes : std::uint32_t(behind);
    data -= data % kBlockAlign;

    if (!tooLong && qint64(data) != behind && !file.resize(kSize + qint64(data))) {
        setError(error, path, file.errorString());
        return false;
    }
    char sizes[4];
    put32(sizes, data + kRiffOverhead);
    bool ok = file.seek(kRiffSizeOffset) && file.write(sizes, 4) == 4;
    put32(sizes, data);
    ok = ok && file.seek(kDataSizeOffset) && file.write(sizes, 4) == 4;
    ok = ok && file.flush();
    if (!ok) {
        setError(error, path, file.errorString());
        return false;
    }
    return true;
}

}
