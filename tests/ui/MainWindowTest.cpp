// SPDX-License-Identifier: MIT
// The main window as the user meets it: its title, menu and project box,
// opening, saving and generating through the scripted dialogs, and every
// failure message with its title.

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

#include "ScriptedInteraction.h"
#include "settings/SaveFile.h"
#include "support/TempDir.h"
#include "ui/ConfigWizardDlg.h"
#include "ui/ControlId.h"
#include "ui/DlgTabCtrl.h"
#include "ui/QtText.h"
#include "ui/pages/DeviceDlg.h"
#include "ui/pages/Page.h"
#include "ui/pages/ScreenDlg.h"

namespace kr::test {
namespace {

using namespace wizard_id;

const QString kBaseTitle = "KR761x Configuration Wizard";

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { Open(); }

    void Open(const QString& startupFile = {})
    {
        window = std::make_unique<CKR761x_ConfigWizardDlg>(startupFile);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    void Trigger(int id)
    {
        QAction* action = FindAction(window.get(), id);
        ASSERT_NE(action, nullptr) << id;
        action->trigger();
    }

    void Click(int id)
    {
        auto* button = qobject_cast<QPushButton*>(FindControl(window.get(), id));
        ASSERT_NE(button, nullptr) << id;
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // The title as the desktop shows it: "*" marks unsaved changes.
    QString Title() const
    {
        QCoreApplication::processEvents();
        return window->windowTitle().replace("[*]", window->isWindowModified() ? "*" : "");
    }

    QString PathBox() const { return qobject_cast<QLineEdit*>(FindControl(window.get(), kProjectPath))->text(); }
    QComboBox* Toolchain() const { return qobject_cast<QComboBox*>(FindControl(window.get(), kToolchain)); }

    // A configuration that differs from the defaults in every group.
    static ConfigurationSettings Edited(const std::u16string& projectPath)
    {
        ConfigurationSettings s;
        s.project.toolchain = 2;
        s.project.projectPath = projectPath;
        s.device.vid = 0x1234;
        s.device.manufacturer = u"Maker";
        s.communication.protocol = 1;
        s.screen.width_px = 800;
        s.touch.numTouchPoints = 2;
        s.pen.bPen = 1;
        s.mouse.numButtons = 3;
        s.gpio.modes[12] = 2;
        return s;
    }

    static void Save(const std::filesystem::path& file, const ConfigurationSettings& s)
    {
        std::u16string error;
        ASSERT_TRUE(SaveSettings(file, s, error)) << platform_error(error);
    }

    static std::string platform_error(const std::u16string& e) { return ToQString(e).toStdString(); }

    ScriptedInteraction ui;
    TempDir dir;
    std::unique_ptr<CKR761x_ConfigWizardDlg> window;
};

TEST_F(MainWindowTest, StartsWithItsTitleMenuTabsAndProjectBox)
{
    EXPECT_EQ(Title(), kBaseTitle);

    QStringList menus;
    for (QAction* menu : window->menuBar()->actions())
        menus << menu->text();
    EXPECT_EQ(menus, QStringList({"&File", "&Project", "&Help"}));
    const std::pair<int, const char*> items[] = {
        {kFileOpen, "&Open..."}, {kFileSave, "&Save"},     {kFileSaveAs, "Save &As..."},
        {kExit, "E&xit"},        {kGenerate, "&Generate"}, {kBatchGenerate, "Batch Generate..."},
        {kAbout, "&About"}};
    for (const auto& [id, text] : items) {
        QAction* action = FindAction(window.get(), id);
        ASSERT_NE(action, nullptr) << id;
        EXPECT_EQ(action->text(), text);
    }
    EXPECT_EQ(FindAction(window.get(), kFileOpen)->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_EQ(FindAction(window.get(), kFileSave)->shortcut(), QKeySequence("Ctrl+S"));
    EXPECT_EQ(FindAction(window.get(), kFileSaveAs)->shortcut(), QKeySequence("Ctrl+Shift+S"));
    EXPECT_EQ(FindAction(window.get(), kExit)->shortcut(), QKeySequence("Ctrl+Q"));

    CDlgTabCtrl* tabs = window->Tabs();
    EXPECT_EQ(FindControl(window.get(), kTabs), tabs);
    QStringList labels;
    for (int i = 0; i < tabs->count(); ++i)
        labels << tabs->tabText(i);
    EXPECT_EQ(labels, QStringList({"Device", "Communication", "Screen", "Touch", "Pen", "Mouse", "GPIO"}));
    EXPECT_EQ(tabs->PageCount(), 7);
    EXPECT_EQ(tabs->currentIndex(), 0);
    for (int i = 0; i < tabs->PageCount(); ++i) {
        EXPECT_EQ(tabs->Page(i)->isVisible(), i == 0) << i;
        EXPECT_NE(tabs->Page(i)->Control(kDefaultButtonId), nullptr) << i;
    }
    // A search from the window stays out of the pages.
    EXPECT_EQ(FindControl(window.get(), kDefaultButtonId), nullptr);
    // The icon, drawn when asked for, at every size the window system may ask.
    const QIcon icon = window->windowIcon();
    EXPECT_EQ(icon.availableSizes().size(), 7);
    for (int side : {16, 48, 256})
        EXPECT_EQ(icon.pixmap(side).toImage().size(), QSize(side, side)) << side;

    auto* path = qobject_cast<QLineEdit*>(FindControl(window.get(), kProjectPath));
    ASSERT_NE(path, nullptr);
    EXPECT_TRUE(path->isReadOnly());
    EXPECT_EQ(path->text(), "");
    QStringList toolchains;
    for (int i = 0; i < Toolchain()->count(); ++i)
        toolchains << Toolchain()->itemText(i);
    EXPECT_EQ(toolchains, QStringList({"Keil", "Raisonance", "SDCC"}));
    EXPECT_EQ(Toolchain()->currentIndex(), 0);
    EXPECT_EQ(qobject_cast<QPushButton*>(FindControl(window.get(), kGenerateButton))->text(), "Generate Project");
    EXPECT_EQ(qobject_cast<QPushButton*>(FindControl(window.get(), kBrowse))->text(), "...");
    EXPECT_EQ(qobject_cast<QPushButton*>(FindControl(window.get(), kOpenFolder))->text(), "Open Folder");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(MainWindowTest, SaveWithoutAFileAsksForOneAndBindsTheWindowToIt)
{
    ui.saveAnswers = {PathToQString(dir / "board.kcw")};
    Toolchain()->setCurrentIndex(1);
    Trigger(kFileSave);

    ASSERT_EQ(ui.saveRequests.size(), 1u);
    EXPECT_EQ(ui.saveRequests[0].defaultSuffix, "kcw");
    EXPECT_EQ(ui.saveRequests[0].initialName, "KR761x_Configuration");
    EXPECT_EQ(ui.saveRequests[0].filter, "KR761x Configuration Wizard Files (*.kcw);;All Files (*)");
    EXPECT_EQ(ui.saveRequests[0].folder, "");  // bound to no file: where the program was started
    EXPECT_EQ(Title(), kBaseTitle + " - board.kcw");
    EXPECT_EQ(window->CurrentFile(), PathToQString(dir / "board.kcw"));

    ConfigurationSettings saved;
    std::u16string error;
    ASSERT_TRUE(LoadSettings((dir / "board.kcw").u16string(), saved, error));
    EXPECT_EQ(saved.project.toolchain, 1);  // what the list showed, committed

    // Bound now: Save writes there without asking.
    Toolchain()->setCurrentIndex(2);
    Trigger(kFileSave);
    EXPECT_EQ(ui.saveRequests.size(), 1u);
    ASSERT_TRUE(LoadSettings((dir / "board.kcw").u16string(), saved, error));
    EXPECT_EQ(saved.project.toolchain, 2);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(MainWindowTest, CancellingSaveAsChangesNothing)
{
    ui.saveAnswers = {std::nullopt};
    Trigger(kFileSaveAs);
    EXPECT_EQ(Title(), kBaseTitle);
    EXPECT_EQ(window->CurrentFile(), "");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(MainWindowTest, OpenSplitsTheFileIntoTheWindowAndEveryPage)
{
    const ConfigurationSettings edited = Edited(dir.folder());
    Save(dir / "panel.kcw", edited);
    ui.openAnswers = {PathToQString(dir / "panel.kcw")};
    Trigger(kFileOpen);

    ASSERT_EQ(ui.openRequests.size(), 1u);
    EXPECT_EQ(ui.openRequests[0].filter, "KR761x Configuration Wizard Files (*.kcw);;All Files (*)");
    EXPECT_EQ(ui.openRequests[0].defaultSuffix, "");
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(Title(), kBaseTitle + " - panel.kcw");
    EXPECT_EQ(window->CollectSettings(), edited);
    EXPECT_EQ(Toolchain()->currentText(), "SDCC");
    EXPECT_EQ(PathBox(), ToQString(dir.folder()));

    // What was loaded is what a save writes back. Both dialogs now start in
    // the folder of the bound file.
    std::filesystem::create_directory(dir / "sub");
    ui.saveAnswers = {PathToQString(dir / "sub" / "copy.kcw")};
    Trigger(kFileSaveAs);
    ui.openAnswers = {std::nullopt};
    Trigger(kFileOpen);
    EXPECT_EQ(ui.saveRequests.back().folder, PathToQString(dir.path()));
    EXPECT_EQ(ui.saveRequests.back().initialName, "panel.kcw");
    EXPECT_EQ(ui.openRequests.back().folder, PathToQString(dir / "sub"));
    ConfigurationSettings copy;
    std::u16string error;
    ASSERT_TRUE(LoadSettings((dir / "sub" / "copy.kcw").u16string(), copy, error));
    EXPECT_EQ(copy, edited);
}

// Only a save that writes a later version than the file had says so.
TEST_F(MainWindowTest, ASaveThatRaisesTheFileVersionSaysSo)
{
    static const FieldRows table = [] {
        FieldRows rows = FieldTable();
        for (FieldRow& row : rows)
            if (row.path == u"TouchData/bConfidence")
                row.since = 0x0101;
        return rows;
    }();
    window->UseFieldTable(table);
    // A first-version file holding the later field on, as a hand edit might.
    ConfigurationSettings confident;
    confident.touch.bConfidence = 1;
    Save(dir / "old.kcw", confident);
    ui.openAnswers = {PathToQString(dir / "old.kcw"), PathToQString(dir / "old.kcw")};
    Trigger(kFileOpen);
    const QString raised = "Saved as file version 0x0101: older versions of this program cannot open it.";
    const struct {
        const char* step;
        int command;
        QString status;
    } steps[] = {
        {"the save that raises it", kFileSave, raised},
        {"a save in the same version", kFileSave, ""},
        {"the raised file opened", kFileOpen, ""},
        {"and saved", kFileSave, ""},
    };
    for (const auto& step : steps) {
        Trigger(step.command);
        EXPECT_EQ(window->statusBar()->currentMessage(), step.status) << step.step;
    }
    EXPECT_NE(ReadBytes(dir / "old.kcw").find("<SAVE_FILE_VERSION>0101<"), std::string::npos);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(MainWindowTest, AFileThatFailsToLoadChangesNothingAndIsNeverWrittenOver)
{
    Save(dir / "good.kcw", Edited(dir.folder()));
    ui.openAnswers = {PathToQString(dir / "good.kcw"), PathToQString(dir / "newer.kcw"),
                      PathToQString(dir / "broken.kcw")};
    Trigger(kFileOpen);
    const ConfigurationSettings before = window->CollectSettings();

    // A save file of a later version, and one that is no save file at all.
    Save(dir / "newer.kcw", ConfigurationSettings{});
    std::string newer = ReadBytes(dir / "newer.kcw");
    const std::size_t version = newer.find(">0100<");
    ASSERT_NE(version, std::string::npos);
    newer.replace(version, 6, ">0200<");
    WriteBytes(dir / "newer.kcw", newer);
    WriteBytes(dir / "broken.kcw", "<not a save file");
    for (const char* name : {"newer.kcw", "broken.kcw"}) {
        Trigger(kFileOpen);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].title, "File Load Error");
        EXPECT_TRUE(ui.messages[0].text.startsWith("Failed to load settings from:\n" + PathToQString(dir / name)))
            << ui.messages[0].text.toStdString();
        EXPECT_EQ(ui.messages[0].icon, MessageIcon::Warning);
        ui.messages.clear();
        EXPECT_EQ(window->CollectSettings(), before);
        EXPECT_EQ(window->CurrentFile(), PathToQString(dir / "good.kcw"));
        EXPECT_EQ(Title(), kBaseTitle + " - good.kcw");
    }

    // The following Save writes to the file the window was bound to before.
    Toolchain()->setCurrentIndex(0);
    Trigger(kFileSave);
    EXPECT_TRUE(ui.saveRequests.empty());
    EXPECT_EQ(ReadBytes(dir / "newer.kcw"), newer);
    ConfigurationSettings rewritten;
    std::u16string error;
    ASSERT_TRUE(LoadSettings((dir / "good.kcw").u16string(), rewritten, error));
    EXPECT_EQ(rewritten.project.toolchain, 0);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(MainWindowTest, StartUpFileIsOpenedOrReportedMissing)
{
    Save(dir / "start.kcw", Edited(dir.folder()));
    Open(PathToQString(dir / "start.kcw"));
    window->OpenStartupFile();
    EXPECT_EQ(window->CurrentFile(), PathToQString(dir / "start.kcw"));
    EXPECT_EQ(window->CollectSettings(), Edited(dir.folder()));
    EXPECT_TRUE(ui.messages.empty());

    // A name that is not UTF-8 opens by its bytes.
    const std::filesystem::path latin1 = dir / "caf\xE9.kcw";
    Save(latin1, Edited(u""));
    Open(PathToQString(latin1));
    window->OpenStartupFile();
    EXPECT_EQ(QStringToPath(window->CurrentFile()), latin1);
    EXPECT_EQ(window->CollectSettings(), Edited(u""));
    EXPECT_TRUE(ui.messages.empty());

    Open(PathToQString(dir / "absent.kcw"));
    window->OpenStartupFile();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], (ShownMessage{"File Load Error", "File does not exist", MessageIcon::Warning}));
    EXPECT_EQ(window->CurrentFile(), "");
    EXPECT_EQ(Title(), kBaseTitle);
}

// Paths reach the window through Qt as text and come back to the core as the
// same bytes, UTF-8 or not: a save file so named opens, a project folder so
// named is generated into, and both show with U+FFFD. Such a project folder
// is no text a save file can hold, so saving it is refused and the file on
// disk stays as it was.
TEST_F(MainWindowTest, PathsThatAreNotUtf8OpenAndGenerateAndASaveThatCannotHoldThemIsRefused)
{
    const std::filesystem::path file = dir / "caf\xE9.kcw";
    const std::filesystem::path folder = dir / "o\xE9";
    std::filesystem::create_directory(folder);
    Save(file, Edited(u""));
    const std::string saved = ReadBytes(file);
    ui.openAnswers = {PathToQString(file)};
    Trigger(kFileOpen);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(Title(), kBaseTitle + " - caf" + QChar(0xFFFD) + ".kcw");
    EXPECT_EQ(window->CollectSettings(), Edited(u""));

    ui.folderAnswers = {{kFolderOk, PathToQString(folder)}};
    Trigger(kGenerate);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(std::filesystem::exists(folder / "KR761x_SDCC.wsp"));
    EXPECT_EQ(QStringToPath(PathBox()), folder.native() + "/");

    Trigger(kFileSave);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, "File Save Error");
    EXPECT_EQ(ui.messages[0].text, "Failed to save settings to:\n" + PathToQString(dir.path()) + "/caf" + QChar(0xFFFD)
                                       + ".kcw\n"
                                       + "the text of element projectPath holds a character XML cannot carry");
    EXPECT_EQ(ReadBytes(file), saved);
}

TEST_F(MainWindowTest, ASaveAsThatFailsSaysSoAndKeepsThePreviousBinding)
{
    const QString target = PathToQString(dir / "no-such-folder" / "board.kcw");
    ui.saveAnswers = {PathToQString(dir / "first.kcw"), target};
    Trigger(kFileSaveAs);
    Toolchain()->setCurrentIndex(2);
    Trigger(kFileSaveAs);

    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, "File Save Error");
    EXPECT_EQ(ui.messages[0].text, "Failed to save settings to:\n" + target + "\n"
                                       + PathToQString(dir / "no-such-folder") + ": No such file or directory");
    EXPECT_EQ(window->CurrentFile(), PathToQString(dir / "first.kcw"));
    EXPECT_EQ(Title(), kBaseTitle + " - first.kcw*");  // the change is still unsaved
}

TEST_F(MainWindowTest, GenerateWithoutAProjectPathAsksForTheFolderFirst)
{
    // Cancelling the chooser ends the command without a word.
    ui.folderAnswers = {{kFolderCancel, {}}};
    Click(kGenerateButton);
    ASSERT_EQ(ui.folderRequests.size(), 1u);
    EXPECT_EQ(ui.folderRequests[0].title, "Select project output directory.");
    EXPECT_EQ(ui.folderRequests[0].initialFolder, "");
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(PathBox(), "");

    // Choosing a folder goes on to generate into it.
    Toolchain()->setCurrentIndex(2);
    ui.folderAnswers = {{kFolderOk, PathToQString(dir.path())}};
    Trigger(kGenerate);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(window->Project().projectPath, dir.folder());
    EXPECT_EQ(PathBox(), ToQString(dir.folder()));
    EXPECT_TRUE(std::filesystem::exists(dir / "KR761x_SDCC.wsp"));
    EXPECT_TRUE(std::filesystem::exists(dir / "KR761x_Main.c"));
    EXPECT_FALSE(std::filesystem::exists(dir / "KR761x_Keil.wsp"));

    // The command ran under the wait cursor, and only it.
    ASSERT_FALSE(ui.waitCursorSeen.empty());
    EXPECT_TRUE(ui.waitCursorSeen.back());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindowTest, GenerateIntoAVanishedFolderAsksForAValidPath)
{
    std::filesystem::create_directory(dir / "out");
    ui.folderAnswers = {{kFolderOk, PathToQString(dir / "out")}};
    Click(kBrowse);
    EXPECT_EQ(PathBox(), PathToQString(dir / "out") + "/");
    std::filesystem::remove(dir / "out");

    Click(kGenerateButton);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0],
              (ShownMessage{"Project Path Error", "Please select a valid project path.", MessageIcon::Warning}));
    EXPECT_EQ(ui.folderRequests.size(), 1u);  // a path was set: no second chooser
}

TEST_F(MainWindowTest, AGeneratorFailureShowsItsText)
{
    // A folder where the generator has to write a file cannot be replaced.
    std::filesystem::create_directories(dir / "KR761x_Main.c");
    ui.folderAnswers = {{kFolderOk, PathToQString(dir.path())}};
    Trigger(kGenerate);

    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, "File Generation Error");
    EXPECT_TRUE(ui.messages[0].text.startsWith("Error generating:")) << ui.messages[0].text.toStdString();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindowTest, AConfigurationWithProblemsShowsThemAllInOneMessageAndWritesNothing)
{
    // Values no button stands for: the radio groups commit them as no choice.
    ConfigurationSettings s;
    s.project.projectPath = dir.folder();
    s.device.powerMode = 5;
    s.gpio.modes[4] = 9;
    Save(dir / "odd.kcw", s);
    ui.openAnswers = {PathToQString(dir / "odd.kcw")};
    Trigger(kFileOpen);

    Trigger(kGenerate);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, "File Generation Error");
    EXPECT_EQ(ui.messages[0].text,
              "Nothing was generated, because the configuration has these problems:\n"
              "DeviceData/powerMode = -1: The power mode must be 0 (bus powered) or 1 (self powered).\n"
              "GpioData/modes/pin4 = -1: The mode of GPIO.4 must be 0 (input, open-drain), 1 (output, open-drain) "
              "or 2 (output, push-pull).");
    EXPECT_EQ(std::vector<std::filesystem::path>(std::filesystem::directory_iterator(dir.path()), {}),
              std::vector<std::filesystem::path>{dir / "odd.kcw"});
}

TEST_F(MainWindowTest, APathLoadedWithoutItsSeparatorGetsOneBeforeGenerating)
{
    ConfigurationSettings s;
    std::filesystem::create_directory(dir / "bare");
    s.project.projectPath = (dir / "bare").u16string();
    Save(dir / "bare.kcw", s);
    ui.openAnswers = {PathToQString(dir / "bare.kcw")};
    Trigger(kFileOpen);

    Trigger(kGenerate);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(PathBox(), PathToQString(dir / "bare") + "/");
    EXPECT_EQ(Title(), kBaseTitle + " - bare.kcw");  // the same folder: no unsaved change
    EXPECT_TRUE(std::filesystem::exists(dir / "bare" / "KR761x_Main.c"));
    EXPECT_FALSE(std::filesystem::exists(dir / "bareKR761x_Main.c"));
}

TEST_F(MainWindowTest, BrowseKeepsTheOldPathUnlessAFolderIsChosen)
{
    ui.folderAnswers = {
        {kFolderOk, "/"}, {kFolderCancel, {}}, {kFolderNoPath, {}}, {kFolderOk, PathToQString(dir.path()) + "/"}};
    Click(kBrowse);
    EXPECT_EQ(PathBox(), "/");
    Click(kBrowse);
    Click(kBrowse);
    EXPECT_EQ(PathBox(), "/");
    EXPECT_EQ(ui.folderRequests[1].initialFolder, "/");
    Click(kBrowse);
    EXPECT_EQ(PathBox(), ToQString(dir.folder()));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(MainWindowTest, FolderCommandsNeedAProjectFolderAndSayWhenTheyFail)
{
    auto* box = qobject_cast<QLineEdit*>(FindControl(window.get(), kProjectPath));
    EXPECT_TRUE(box->isReadOnly());
    EXPECT_EQ(box->palette().color(QPalette::Base), box->palette().color(QPalette::Window));
    Click(kOpenFolder);
    EXPECT_TRUE(ui.explored.empty());
    Trigger(kSimulate);
    EXPECT_TRUE(ui.dialogsRun.empty());

    ui.folderAnswers = {{kFolderOk, PathToQString(dir.path())}};
    Click(kBrowse);
    Click(kOpenFolder);
    ui.exploreWorks = false;
    Click(kOpenFolder);
    EXPECT_EQ(ui.explored, (std::vector<QString>(2, ToQString(dir.folder()))));
    const QString noManager = "The folder " + ToQString(dir.folder())
                              + " cannot be shown: no file manager could be "
                                "started to show it.";
    EXPECT_EQ(ui.messages, (std::vector<ShownMessage>{
                               {"Simulate",
                                "There is no project folder to simulate: choose one under Project Path, then "
                                "generate and build the project there.",
                                MessageIcon::Warning},
                               {"Open Folder", noManager, MessageIcon::Warning},
                           }));
}

TEST_F(MainWindowTest, EnterAndEscapeLeaveTheWindowOpenExitClosesIt)
{
    QWidget* focus = FindControl(window->DevicePage(), kDefaultButtonId);
    focus->setFocus();
    for (QWidget* target : {focus, static_cast<QWidget*>(window.get()), FindControl(window.get(), kToolchain)}) {
        QTest::keyClick(target, Qt::Key_Return);
        QTest::keyClick(target, Qt::Key_Escape);
    }
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(ui.messages.empty());

    Trigger(kExit);
    EXPECT_FALSE(window->isVisible());

    Open();
    EXPECT_TRUE(window->close());  // the close box: no question asked
    EXPECT_TRUE(ui.messages.empty());
}

// What closing or opening does with unsaved changes, for each answer.
TEST_F(MainWindowTest, ExitCloseAndOpenAskAboutUnsavedChangesOnly)
{
    enum How { kExitMenu, kCloseBox, kOpenMenu };
    struct Row {
        const char* label;
        How how;
        bool change;
        std::optional<SaveChoice> answer;  // none: no question expected
        bool goesOn;  // the window closed, or the open dialog came
        bool saved;
    };
    const Row rows[] = {
        {"exitUnchanged", kExitMenu, false, {}, true, false},
        {"closeUnchanged", kCloseBox, false, {}, true, false},
        {"openUnchanged", kOpenMenu, false, {}, true, false},
        {"exitSave", kExitMenu, true, SaveChoice::Save, true, true},
        {"exitDiscard", kExitMenu, true, SaveChoice::Discard, true, false},
        {"exitCancel", kExitMenu, true, SaveChoice::Cancel, false, false},
        {"closeSave", kCloseBox, true, SaveChoice::Save, true, true},
        {"closeCancel", kCloseBox, true, SaveChoice::Cancel, false, false},
        {"openSave", kOpenMenu, true, SaveChoice::Save, true, true},
        {"openDiscard", kOpenMenu, true, SaveChoice::Discard, true, false},
        {"openCancel", kOpenMenu, true, SaveChoice::Cancel, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        Save(dir / "board.kcw", ConfigurationSettings{});
        const std::string stored = ReadBytes(dir / "board.kcw");
        Open(PathToQString(dir / "board.kcw"));
        window->OpenStartupFile();
        EXPECT_EQ(Title(), kBaseTitle + " - board.kcw");
        if (row.change) {
            // A change made and taken back is none; made again, it shows.
            QTest::keyClick(Toolchain(), Qt::Key_Down);
            EXPECT_EQ(Title(), kBaseTitle + " - board.kcw*");
            QTest::keyClick(Toolchain(), Qt::Key_Up);
            EXPECT_EQ(Title(), kBaseTitle + " - board.kcw");
            QTest::keyClick(Toolchain(), Qt::Key_Down);
            EXPECT_EQ(Title(), kBaseTitle + " - board.kcw*");
        }
        ui.messages.clear();
        ui.openRequests.clear();
        ui.saveRequests.clear();
        ui.saveChangesQuestions.clear();
        ui.saveChangesAnswers.clear();
        if (row.answer)
            ui.saveChangesAnswers = {*row.answer};
        ui.openAnswers = {std::nullopt};
        if (row.how == kExitMenu)
            Trigger(kExit);
        else if (row.how == kCloseBox)
            window->close();
        else
            Trigger(kFileOpen);

        EXPECT_EQ(ui.saveChangesQuestions.size(), row.answer ? 1u : 0u);
        if (row.answer) {
            EXPECT_EQ(ui.saveChangesQuestions[0],
                      (ShownMessage{kBaseTitle, "Do you want to save the changes to board.kcw?", MessageIcon::None}));
        }
        if (row.how == kOpenMenu) {
            EXPECT_EQ(ui.openRequests.size(), row.goesOn ? 1u : 0u);
            EXPECT_TRUE(window->isVisible());
        } else {
            EXPECT_EQ(window->isVisible(), !row.goesOn);
        }
        EXPECT_EQ(ReadBytes(dir / "board.kcw") != stored, row.saved);
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_TRUE(ui.saveRequests.empty());
    }
}

TEST_F(MainWindowTest, ASaveThatFailsOrIsRefusedWhileClosingKeepsTheWindowOpen)
{
    // Unbound: saving asks for a file; cancelling that keeps the window.
    QTest::keyClick(Toolchain(), Qt::Key_Down);
    ui.saveChangesAnswers = {SaveChoice::Save, SaveChoice::Save, SaveChoice::Save};
    ui.saveAnswers = {std::nullopt, PathToQString(dir / "missing" / "x.kcw")};
    EXPECT_FALSE(window->close());
    EXPECT_EQ(ui.saveChangesQuestions.back().text, "Do you want to save the changes to the configuration?");
    EXPECT_EQ(ui.saveRequests.size(), 1u);

    // A file that cannot be written: its message, and the window stays.
    EXPECT_FALSE(window->close());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, "File Save Error");
    EXPECT_EQ(window->CurrentFile(), "");

    // A value a page refuses: its message, its page in front, still open.
    ui.messages.clear();
    qobject_cast<QLineEdit*>(window->ScreenPage()->Control(screen_id::kWidthMm))->setText("0");
    EXPECT_FALSE(window->close());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Please enter an integer between 1 and 65535.");
    EXPECT_EQ(window->Tabs()->currentIndex(), 2);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(ui.saveRequests.size(), 2u);
    EXPECT_TRUE(ui.saveChangesAnswers.empty());
}

TEST_F(MainWindowTest, AGeneratedProjectIsReportedInTheStatusBarAndKeptCodeInAMessage)
{
    ui.folderAnswers = {{kFolderOk, PathToQString(dir.path())}};
    Trigger(kGenerate);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(window->statusBar()->currentMessage(),
              "Project generated: 9 files written to " + PathToQString(dir.path()) + "/");

    // Code in a region the new file does not have, after a region whose END
    // line is lost: the old file is kept, the intact region is carried.
    const std::string own = "//! BEGIN user code: mine\r\nx();\r\n//! END user code: mine\r\n";
    const std::string lost = "//! BEGIN user code: gone\r\n";
    std::string edited = ReadBytes(dir / "KR761x_Main.c");
    const std::string loop = "//! BEGIN user code: main loop\r\n";
    edited.insert(edited.find(loop) + loop.size(), "poll();\r\n");
    WriteBytes(dir / "KR761x_Main.c", lost + edited + own);
    Click(kGenerateButton);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0],
              (ShownMessage{"Generate Project",
                            "The previous KR761x_Main.c is kept as " + PathToQString(dir / "KR761x_Main.c")
                                + ".previous: the markers of user code region \"gone\" do not pair "
                                  "up, so its code was not carried over; the new file has no user "
                                  "code region \"mine\".",
                            MessageIcon::Warning}));
    EXPECT_NE(ReadBytes(dir / "KR761x_Main.c").find(loop + "poll();\r\n"), std::string::npos);
    EXPECT_NE(ReadBytes(dir / "KR761x_Main.c.previous").find(own), std::string::npos);
    EXPECT_EQ(window->statusBar()->currentMessage(),
              "Project generated: 1 file written to " + PathToQString(dir.path()) + "/ (8 unchanged)");
}

TEST_F(MainWindowTest, AboutShowsTheVersionLicenceAndWhoOwnsWhatIsGenerated)
{
    QStringList texts;
    ui.runModal = [&](QDialog& dialog) {
        for (QLabel* label : dialog.findChildren<QLabel*>())
            texts << label->text();
        return int(QDialog::Accepted);
    };
    Trigger(kAbout);
    ASSERT_EQ(ui.dialogsRun.size(), 1u);
    EXPECT_EQ(ui.dialogsRun[0], "About KR761x Configuration Wizard");
    for (const char* line : {"KR761x Configuration Wizard Version 1.10", "Released under the MIT licence.",
                             "What the wizard generates belongs to whoever generates it."})
        EXPECT_TRUE(texts.contains(line)) << line << " not in " << texts.join(" | ").toStdString();
}

}  // namespace
}  // namespace kr::test
