// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "outputnaming.h"

#include <QString>

namespace trackmill {

// The output directory of one batch: starts as the text of the output
// directory edit (DIRECTORYMP3, ending with "/") and grows by the artist,
// album and year sub-directories the settings ask for. Failures set the
// output-directory error flag and keep the path and the system's reason,
// which the batch driver shows in its error box.
class OutputDirectory
{
public:
    // A relative directory text is relative to the process's current
    // directory, which nothing here changes.
    OutputDirectory(const OutputNaming& naming, QString directory);

    // Before a batch: filters artist, album and year in place (the caller
    // writes them back into their edits), then for each directory switch
    // that is on, in the order artist, album, artist - album,
    // artist - album - year, checks the current directory text and makes
    // the sub-directory inside it, so several switches nest. Names that are
    // no safe folder names (empty, ".", "..", too long) are made safe. Stops at the first
    // failure. Returns false when the error flag is set.
    bool MakingDirectory(QString& artist, QString& album, QString& year);

    // After MakingDirectory: the "CD n" folder of disc n of a set inside
    // the directory made so far. False (the error flag set) when it cannot
    // be made.
    bool addDiscFolder(int number);

    // Whether the current directory text names a directory that can be
    // entered; on failure sets the error flag and returns false.
    bool Check();

    // Sets the directory text to path and creates the directory name
    // inside the previous directory. An existing directory is no error;
    // anything else that keeps it from being made sets the error flag.
    bool CreateDirectory(const QString& path, const QString& name);

    // The output directory text now; ends with "/" once a sub-directory
    // was added.
    const QString& directory() const { return m_directory; }
    // The output-directory error flag.
    bool hasError() const { return m_error; }
    // "<path>: <system's reason>" of the last failure, empty without one.
    const QString& errorText() const { return m_errorText; }

private:
    void fail(const QString& path, int errorCode);

    OutputNaming m_naming;
    QString m_directory;
    bool m_error = false;
    QString m_errorText;
};

}
