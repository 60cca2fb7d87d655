// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace trackmill::test {

// Writes version blocks and small PE images holding them, laid out as a
// resource compiler and a linker lay them out, so the reader can be fed
// well-formed files and then damaged copies of them.
struct VersionBlockContents
{
    QString tableKey = QStringLiteral("040904E4");
    QList<QPair<QString, QString>> strings;
    // Language identifier and code page pairs of \VarFileInfo\Translation.
    QList<QPair<quint16, quint16>> translations = {{0x0409, 0x04E4}};
    bool withVarFileInfo = true;
};

QByteArray versionBlock(const VersionBlockContents& contents);

struct PeImage
{
    QByteArray bytes;
    // Offsets of the parts a test may want to damage.
    qsizetype peHeader = 0;         // "PE\0\0"
    qsizetype optionalHeader = 0;
    qsizetype sectionTable = 0;
    qsizetype resourceSection = 0;  // file offset of the resource directory
    qsizetype dataEntry = 0;        // file offset of the version resource's data entry
    qsizetype block = 0;            // file offset of the version block
};

struct PeImageLayout
{
    bool pe32Plus = false;
    // Resource type of the one resource: 16 is a version resource.
    quint32 resourceType = 16;
    quint32 resourceName = 1;
    // Another resource type listed before the version one.
    bool withIconDirectory = false;
    // No resource data directory at all.
    bool withResources = true;
};

PeImage peImage(const QByteArray& versionResource, const PeImageLayout& layout = {});

void putU16(QByteArray& bytes, qsizetype at, quint16 value);
void putU32(QByteArray& bytes, qsizetype at, quint32 value);

}
