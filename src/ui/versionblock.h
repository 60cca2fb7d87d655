// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

namespace trackmill {

// A version information block (VS_VERSIONINFO) as a PE file stores it: a
// tree of nodes, each made of a 16-bit length, a 16-bit value length, a
// 16-bit type (0 binary, 1 text), a zero-terminated UTF-16LE key, the value
// and the children, every part starting on a 4-byte boundary of the block.
// The block is untrusted: every length is checked against its parent, and
// a node that does not fit ends the walk of its siblings.
class VersionBlock
{
public:
    VersionBlock() = default;  // empty: every query finds nothing

    // Nothing when the root node does not fit or is not "VS_VERSION_INFO".
    static std::optional<VersionBlock> parse(QByteArray bytes);

    struct Value
    {
        QByteArrayView bytes;  // the value as its length declares, clamped to its node
        QByteArrayView tail;   // from the value's start to its node's end
        bool text = false;     // type 1: UTF-16LE text
    };

    // The value under a path such as "\VarFileInfo\Translation" or
    // "\StringFileInfo\040904E4\CompanyName"; components are matched
    // without regard to letter case, the first match wins; "\" is the
    // root's own value. Nothing when a component is missing.
    std::optional<Value> query(const QString& path) const;

    // A text value up to its first zero character or its node's end. The
    // declared length of text values is not trusted: resource compilers
    // disagree on whether it counts bytes or characters.
    static QString text(const Value& value);

    qsizetype size() const { return m_bytes.size(); }

private:
    struct Node
    {
        qsizetype begin = 0;
        qsizetype end = 0;          // one past the node, within its parent
        qsizetype valueBegin = 0;
        qsizetype valueEnd = 0;
        qsizetype childrenBegin = 0;
        QString key;
        bool text = false;
    };

    explicit VersionBlock(QByteArray bytes) : m_bytes(std::move(bytes)) {}
    std::optional<Node> readNode(qsizetype offset, qsizetype limit) const;
    quint16 word(qsizetype offset) const;

    QByteArray m_bytes;
};

}
