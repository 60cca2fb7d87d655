// SPDX-License-Identifier: GPL-2.0-or-later
#include "versionblock.h"

#include <QStringList>
#include <algorithm>

namespace trackmill {

namespace {

constexpr qsizetype kHeaderBytes = 6;  // length, value length, type: three 16-bit words

qsizetype align4(qsizetype offset)
{
    return (offset + 3) & ~qsizetype(3);
}

}

quint16 VersionBlock::word(qsizetype offset) const
{
    const auto* p = reinterpret_cast<const uchar*>(m_bytes.constData()) + offset;
    return quint16(p[0] | (p[1] << 8));
}

std::optional<VersionBlock::Node> VersionBlock::readNode(qsizetype offset, qsizetype limit) const
{
    if (offset < 0 || limit > m_bytes.size() || offset + kHeaderBytes > limit)
        return std::nullopt;
    const qsizetype length = word(offset);
    if (length < kHeaderBytes)
        return std::nullopt;

    Node node;
    node.begin = offset;
    // A node may not reach past its parent; one that claims to is cut there.
    node.end = std::min(offset + length, limit);
    const qsizetype valueLength = word(offset + 2);
    node.text = word(offset + 4) == 1;

    qsizetype pos = offset + kHeaderBytes;
    QString key;
    for (;;) {
        if (pos + 2 > node.end)
            return std::nullopt;  // key without its terminating zero
        const char16_t c = word(pos);
        pos += 2;
        if (c == 0)
            break;
        key.append(QChar(c));
    }
    node.key = key;
    node.valueBegin = std::min(align4(pos), node.end);
    // Text lengths count 16-bit characters, binary lengths bytes.
    const qsizetype valueBytes = node.text ? 2 * valueLength : valueLength;
    node.valueEnd = std::min(node.valueBegin + valueBytes, node.end);
    node.childrenBegin = std::min(align4(node.valueEnd), node.end);
    return node;
}

std::optional<VersionBlock> VersionBlock::parse(QByteArray bytes)
{
    VersionBlock block(std::move(bytes));
    const auto root = block.readNode(0, block.m_bytes.size());
    if (!root || root->key.compare(QLatin1String("VS_VERSION_INFO"), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    // Whatever lies beyond the root node is padding of the resource.
    block.m_bytes.truncate(root->end);
    return block;
}

std::optional<VersionBlock::Value> VersionBlock::query(const QString& path) const
{
    auto node = readNode(0, m_bytes.size());
    if (!node)
        return std::nullopt;
    const QStringList parts = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        std::optional<Node> found;
        qsizetype pos = node->childrenBegin;
        while (!found && pos + kHeaderBytes <= node->end) {
            const auto child = readNode(pos, node->end);
            if (!child)
                break;
            if (child->key.compare(part, Qt::CaseInsensitive) == 0)
                found = child;
            // A child always has at least a header, so the walk moves on.
            pos = align4(child->end);
        }
        if (!found)
            return std::nullopt;
        node = found;
    }
    Value value;
    const char* data = m_bytes.constData();
    value.bytes = QByteArrayView(data + node->valueBegin, node->valueEnd - node->valueBegin);
    value.tail = QByteArrayView(data + node->valueBegin, node->end - node->valueBegin);
    value.text = node->text;
    return value;
}

QString VersionBlock::text(const Value& value)
{
    QString result;
    const auto* p = reinterpret_cast<const uchar*>(value.tail.data());
    for (qsizetype i = 0; i + 1 < value.tail.size(); i += 2) {
        const char16_t c = char16_t(p[i] | (p[i + 1] << 8));
        if (c == 0)
            break;
        result.append(QChar(c));
    }
    return result;
}

}
