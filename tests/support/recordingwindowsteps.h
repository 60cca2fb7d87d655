// SPDX-License-Identifier: GPL-2.0-or-later
// The steps a window leaves to the rest of the program, recorded in the
// order they were asked for, for tests of one window on its own.
#pragma once

#include "app/mainwindow.h"
#include "app/mainwindowsteps.h"
#include "settings/settingswindowsteps.h"

#include <QFileInfo>
#include <QStringList>

namespace trackmill::test {

// Drive paths are recorded by their file names ("database B.cue").
class RecordingMainWindowSteps final : public MainWindowSteps
{
public:
    bool useCdPlayerIniTicked() const override { return ticked; }
    void lookUpCdPlayerDatabase(const QString& path) override { calls << "database " + QFileInfo(path).fileName(); }
    void resetTagEditor() override { calls << "tags"; }
    void reloadLanguage() override { calls << "reload language"; }
    void readDiscNames(const QString& path) override { calls << "names " + QFileInfo(path).fileName(); }
    void applyLanguageFile(const QString& fileName) override { calls << fileName; languages << fileName; }
    void saveSettings() override { calls << "save settings"; }
    void rebuildCountingLabels() override { calls << "counting labels"; }
    void formClose() override { calls << "close"; }
    bool runInProgress() const override { return running; }

    bool ticked = false;
    bool running = false;
    QStringList calls;
    QStringList languages;
};

// The main window's part of choosing a drive and of the language marks is
// done by the main window given; the rest is recorded.
class RecordingSettingsWindowSteps final : public SettingsWindowSteps
{
public:
    explicit RecordingSettingsWindowSteps(TForm1*& mainWindow) : m_mainWindow(mainWindow) {}

    void refreshEncoderVersionLines() override { calls << "encoder lines"; }
    bool switchToDrive(int index) override { return m_mainWindow->switchToDrive(index); }
    void rereadDiscToc() override { m_mainWindow->GetCDTOC(); }
    void markLanguage(const QString& name) override { m_mainWindow->CheckTextLanguage(name); }
    void lookUpCdPlayerDatabase(const QString& path) override { calls << "database " + QFileInfo(path).fileName(); }
    void readDiscNames(const QString& path) override { calls << "names " + QFileInfo(path).fileName(); }
    void storeDiscNames(const QString& path) override { calls << "store " + QFileInfo(path).fileName(); }
    void resetTagEditorGenres() override { calls << "tag genres"; }
    void resetTagEditor() override { calls << "tags"; }
    void copyToTagEditor(const NamesForTagEditor& names) override
    {
        calls << "copy to tags";
        copied.push_back(names);
    }
    void applyLanguageFile(const QString& fileName) override { calls << fileName; languages << fileName; }
    void languagePicked(int index) override { calls << "picked " + QString::number(index); }

    QStringList calls;
    QStringList languages;
    std::vector<NamesForTagEditor> copied;

private:
    TForm1*& m_mainWindow;
};

}
