// SPDX-License-Identifier: GPL-2.0-or-later
#include "inidocument.h"

namespace trackmill {

namespace {

std::string_view view(QByteArrayView bytes)
{
    return std::string_view(bytes.data(), size_t(bytes.size()));
}

QByteArray bytesOf(const std::string& text)
{
    return QByteArray(text.data(), qsizetype(text.size()));
}

QByteArrayList listOf(const std::vector<std::string>& names)
{
    QByteArrayList list;
    list.reserve(qsizetype(names.size()));
    for (const std::string& name : names)
        list.append(bytesOf(name));
    return list;
}

}

IniDocument IniDocument::fromBytes(const QByteArray& bytes)
{
    IniDocument doc;
    doc.m_doc = ini::Document::parse(view(bytes));
    return doc;
}

QByteArray IniDocument::toBytes() const
{
    return bytesOf(m_doc.bytes());
}

bool IniDocument::hasSection(QByteArrayView section) const
{
    return m_doc.hasSection(view(section));
}

bool IniDocument::hasKey(QByteArrayView section, QByteArrayView key) const
{
    return m_doc.hasKey(view(section), view(key));
}

QByteArray IniDocument::value(QByteArrayView section, QByteArrayView key,
                              const QByteArray& defaultValue) const
{
    const std::string* found = m_doc.find(view(section), view(key));
    return found ? bytesOf(*found) : defaultValue;
}

int IniDocument::intValue(QByteArrayView section, QByteArrayView key, int defaultValue) const
{
    return m_doc.intValue(view(section), view(key), defaultValue);
}

void IniDocument::setValue(QByteArrayView section, QByteArrayView key, const QByteArray& value)
{
    m_doc.setValue(view(section), view(key), view(value));
}

void IniDocument::removeKey(QByteArrayView section, QByteArrayView key)
{
    m_doc.removeKey(view(section), view(key));
}

void IniDocument::removeSection(QByteArrayView section)
{
    m_doc.removeSection(view(section));
}

void IniDocument::removeNumberedKeys(QByteArrayView section, qsizetype first)
{
    m_doc.removeNumberedKeys(view(section), size_t(qMax<qsizetype>(first, 0)));
}

QByteArrayList IniDocument::sections() const
{
    return listOf(m_doc.sections());
}

QByteArrayList IniDocument::keys(QByteArrayView section) const
{
    return listOf(m_doc.keys(view(section)));
}

}
