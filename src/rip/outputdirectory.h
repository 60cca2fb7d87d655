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
    // A relative directory text is taken relative to the current directory
    // of the process at construction, however often it changes later.
    OutputDirectory(const OutputNaming& naming, QString directory);

    // Before a batch: filters artist, album and year in place (the caller
    // writes them back into their edits), then for each directory switch
    // that is on, in the order artist, album, artist - album,
    // artist - album - year, enters the current directory and makes the
    // sub-directory inside it, so several switches nest. Stops at the first
    // failure. Returns false when the error flag is set.
    bool MakingDirectory(QString& artist, QString& album, QString& year);

    // Makes the current directory text the process's current directory;
    // on failure sets the error flag and returns false.
    bool Check();

    // Sets the directory text to path and creates the directory name
    // inside the previous directory. An existing directory is no error;
    // anything else that keeps it from being made sets the error flag.
    bool CreateDirectory(const QString& path, const QString& name);

    // The output directory text now (ends with "/" when it did at start).
    const QString& directory() const { return m_directory; }
    // The output-directory error flag.
    bool hasError() const { return m_error; }
    // "<path>: <system's reason>" of the last failure, empty without one.
    const QString& errorText() const { return m_errorText; }

private:
    QString absolute(const QString& path) const;
    void fail(const QString& path, int errorCode);

    const OutputNaming& m_naming;
    QString m_directory;
    QString m_base;
    bool m_error = false;
    QString m_errorText;
};

}
