#include "ui/main/MainWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QMenuBar>
#include <QStatusBar>
#include <QVBoxLayout>
#include <map>
#include <vector>

#include "app/JobSettings.h"
#include "ui/common/Dialogs.h"
#include "ui/main/AboutBox.h"
#include "ui/main/DesktopNotices.h"
#include "ui/main/EditorWindows.h"
#include "ui/main/FileListWidget.h"
#include "ui/main/ListCommands.h"
#include "ui/main/NowPlayingPanel.h"
#include "ui/main/PlaybackControl.h"
#include "ui/main/PreferencesDialog.h"
#include "ui/main/ShortcutsWindow.h"
#include "ui/main/RecentMenu.h"
#include "ui/main/StartUp.h"
#include "ui/main/WindowMemory.h"

namespace Ui {

namespace {

#define CMD(text) QT_TRANSLATE_NOOP("Command", text)

enum : int {
    kOpen = 57601,
    kSplitStereo = 34005,
    kSplit51 = 34026,
    kSplit61 = 34027,
    kSplit71 = 34093,
    kExternalEditor = 34010,
    kSaveCopy = 34003,
    kReveal = 34024,
    kProcess = 34002,
    kInfo = 34019,
    kExit = 57665,
    kSelectAll = 34011,
    kDelete = 34020,
    kCopy = 34022,
    kPaste = 34023,
    kPreferences = 34021,
    kMono = 34006,
    kFast = 34007,
    kMedium = 34008,
    kBest = 34009,
    kStudio = 34028,
    kAbout = 57664,
    kHome = 34025,
    kPlay = 34000,
    kStop = 34001,
    // Commands of our own, without a menu id of old.
    kExactPitch = 90001,
    kTogglePlay = 90002,
    kWaveEditors = 90003,
    kVersion = 90004,
    kPlayProcessed = 90005,
    kShortcuts = 90006,
};

// The algorithm commands in the order of their quality, 1 to 5.
constexpr int kAlgorithms[] = {kMono, kFast, kMedium, kBest, kStudio};

using K = QKeySequence;

// A command in its menu (null: none, a key or a button only); id 0 is a separator.
struct MenuEntry {
    const char* menu;
    Command command;
};

std::vector<MenuEntry> mainTable() {
    const char* file = CMD("&File");
    const char* edit = CMD("&Edit");
    const char* algorithm = CMD("&Algorithm");
    const char* help = CMD("&Help");
    return {
        {file,
         {kOpen,
          CMD("&Open audio file..."),
          {K(Qt::CTRL | Qt::Key_O)},
          CMD("Open an existing document\nOpen")}},
        {file,
         {kSplitStereo,
          CMD("Open split &stereo file..."),
          {},
          CMD("Open a split stereo file\n Open Split Stereo")}},
        {file, {kSplit51, CMD("Open split surround &5.1 file...")}},
        {file, {kSplit61, CMD("Open split surround &6.1 file...")}},
        {file, {kSplit71, CMD("Open split surround &7.1 file...")}},
        {file,
         {kExternalEditor,
          CMD("Open in the chosen &editor"),
          {},
          CMD("Open the selected files in the chosen sound editor.")}},
        {file,
         {kSaveCopy,
          CMD("Save &as..."),
          {},
          CMD("Save a copy of the selected files\nSave a copy")}},
        {file, {}},
        {file,
         {kReveal,
          CMD("Show in file &manager"),
          {},
          CMD("Opens the folder of the selected file in the file manager")}},
        {file, {}},
        {file,
         {kProcess,
          CMD("&Process selected files"),
          {},
          CMD("Process the selected files\nProcess")}},
        {file,
         {kPlayProcessed,
          CMD("Play p&rocessed"),
          {K(Qt::SHIFT | Qt::Key_Space)},
          CMD("Play the selected file processed with its settings, computed while it plays; "
              "changes are heard at once\nPlay processed")}},
        {file, {}},
        {file,
         {kInfo,
          CMD("File &information"),
          {},
          CMD("displays the file information about the selected file")}},
        {file, {}},
        {file, {kExit, CMD("E&xit"), {}, CMD("Quit the application; prompts to save documents")}},
        {edit, {kSelectAll, CMD("Select &all"), {K(Qt::CTRL | Qt::Key_A)}, CMD("Select All")}},
        {edit, {kDelete, CMD("&Delete selected"), {K(Qt::Key_Delete)}, CMD("Delete Selected")}},
        {edit, {}},
        {edit, {kCopy, CMD("&Copy parameters"), {K(Qt::CTRL | Qt::Key_C)}, CMD("Copy Parameters")}},
        {edit,
         {kPaste, CMD("&Paste parameters"), {K(Qt::CTRL | Qt::Key_V)}, CMD("Paste Parameters")}},
        {edit, {}},
        {edit, {kPreferences, CMD("P&references..."), {}, CMD("Preferences")}},
        {algorithm,
         {kMono,
          CMD("One &voice, solo instruments"),
          {},
          CMD("Set the Algorithm to Monophonic/Voice/Instr."),
          true}},
        {algorithm,
         {kFast,
          CMD("Polyphonic music, &fast"),
          {},
          CMD("Set the Algorithm to Polyphonic (fast)"),
          true}},
        {algorithm,
         {kMedium,
          CMD("Polyphonic music, &medium quality"),
          {},
          CMD("Set the Algorithm to Polyphonic (medium)"),
          true}},
        {algorithm,
         {kBest,
          CMD("Polyphonic music, &best quality"),
          {},
          CMD("Set the Algorithm to Polyphonic (best)"),
          true}},
        {algorithm, {kStudio, CMD("&Studio"), {}, CMD("Set the Algorithm to Studio"), true}},
        {algorithm, {}},
        {algorithm,
         {kExactPitch,
          CMD("E&xact pitch"),
          {},
          CMD("Shift the pitch exactly as asked, at about the processing time of the default"),
          true}},
        {help,
         {kAbout,
          CMD("&About Stretchwerk..."),
          {},
          CMD("Shows the program's picture and version")}},
        {help,
         {kHome, CMD("Open the Stretchwerk &manual..."), {}, CMD("Opens the Stretchwerk manual")}},
        {help,
         {kShortcuts,
          CMD("&Keyboard shortcuts"),
          {},
          CMD("Lists every key of the batch list and the wave editor")}},
        {nullptr, {kPlay, CMD("Play"), {}, CMD("Play the selected file.\nPlay selected file")}},
        {nullptr, {kStop, CMD("Stop"), {}, CMD("Stop the playing file.\nStop playing")}},
        {nullptr, {kTogglePlay, CMD("Play or stop")}},
        {nullptr, {kWaveEditors, CMD("Wave editor")}},
        {nullptr, {kVersion, CMD("Version")}},
    };
}

} // namespace

MainWindow::MainWindow(Session& s, QWidget* parent) : QMainWindow(parent), session(s) {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(kAppTitle);
    setGeometry(20, 20, 470, 400);
    restorePlace(this, "Main");
    auto* central = new QWidget(this);
    view = new FileListWidget(session.list, central);
    panel = new NowPlayingPanel(central);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(view, 1);
    layout->addWidget(panel);
    setCentralWidget(central);
    player = new PlaybackControl(session, *panel, this);
    editorWindows = new EditorWindows(session, this);
    list = new ListCommands(session, *view, *player, *editorWindows, this);
    session.runner.setWindow(this);
    new BatchNotices(session.runner, *this, sessionDesktopBus());
    buildMenus();
    connectCommands();
    bindListKeys();
    statusBar()->showMessage(QCoreApplication::translate("Ui::MainWindow", "Ready"));
    updateActions();
    view->setFocus();
}

// The player goes first: the panel it plays to is a child widget, which goes before it otherwise.
MainWindow::~MainWindow() {
    // A batch shows its progress and asks its questions in this window: it ends before the
    // window's widgets go (a window that is closed asks first; one destroyed without a close
    // stops the batch here).
    session.runner.cancel();
    session.runner.waitForEnd();
    delete player;
}

void MainWindow::buildMenus() {
    std::map<QString, QMenu*> menus;
    for (const MenuEntry& e : mainTable()) {
        QMenu* menu = nullptr;
        if (e.menu) {
            QMenu*& made = menus[QString::fromUtf8(e.menu)];
            if (!made) made = menuBar()->addMenu(QCoreApplication::translate("Command", e.menu));
            menu = made;
        }
        if (e.command.id == 0)
            menu->addSeparator();
        else
            commands.add(e.command, menu);
        // Open Recent follows the open commands.
        if (e.command.id == kSplit71) menu->addMenu(recent = new RecentMenu(this));
    }
    auto* algorithms = new QActionGroup(this);
    for (int id : kAlgorithms)
        algorithms->addAction(&commands.at(id));
    commands.at(kFast).setChecked(true);
    QAction& exact = commands.at(kExactPitch);
    exact.setObjectName(QStringLiteral("cmdExactPitch"));
    exact.setChecked(session.settings.exactPitch);
    panel->addButton(&commands.at(kPlayProcessed));
}

void MainWindow::connectCommands() {
    auto on = [this](int id, auto f) { connect(&commands.at(id), &QAction::triggered, this, f); };
    ListCommands& l = *list;
    on(kOpen, [&l] { l.openAudioFiles(); });
    on(kSplitStereo, [&l] { l.openSplit(2); });
    on(kSplit51, [&l] { l.openSplit(6); });
    on(kSplit61, [&l] { l.openSplit(7); });
    on(kSplit71, [&l] { l.openSplit(8); });
    on(kExternalEditor, [&l] { l.openInExternalEditor(); });
    on(kSaveCopy, [&l] { l.saveCopies(); });
    on(kReveal, [&l] { l.revealInFileManager(); });
    on(kProcess, [&l] { l.processSelected(); });
    on(kInfo, [&l] { l.fileInformation(); });
    on(kExit, [this] { close(); });
    on(kSelectAll, [&l] { l.selectAll(); });
    on(kDelete, [&l] { l.deleteSelected(); });
    on(kCopy, [&l] { l.copyParameters(); });
    on(kPaste, [&l] { l.pasteParameters(); });
    on(kPreferences, [this] { preferences(); });
    for (int quality = 1; quality <= 5; ++quality)
        on(kAlgorithms[quality - 1], [this, quality] { selectAlgorithm(quality, true); });
    connect(&commands.at(kExactPitch), &QAction::toggled, this, [this](bool exact) {
        session.settings.exactPitch = exact;
        saveSettingsOrAsk(this, session.settings);
    });
    on(kAbout, [this] { showAboutBox(this); });
    on(kHome, [] { QDesktopServices::openUrl(manualUrl()); });
    on(kShortcuts, [this] { showShortcuts(); });
    on(kPlay, [this] { player->play(); });
    on(kStop, [this] { player->stop(); });
    on(kTogglePlay, [this] { player->togglePlay(); });
    on(kPlayProcessed, [this] { player->playProcessed(); });
    on(kWaveEditors, [&l] { l.openWaveEditors(); });
    on(kVersion, [&l] { l.showVersion(); });

    connect(view, &FileListWidget::selectionChanged, this, &MainWindow::updateActions);
    connect(view, &FileListWidget::filesDropped, list, &ListCommands::dropFiles);
    connect(list, &ListCommands::opened, recent, &RecentMenu::remember);
    connect(recent, &RecentMenu::entryChosen, list, &ListCommands::openRecent);
    connect(view, &FileListWidget::rowActivated, list, [&l] { l.openInExternalEditor(); });
    connect(view, &FileListWidget::editorRequested, editorWindows, &EditorWindows::open);
    connect(view, &FileListWidget::timeUnitChosen, list, &ListCommands::chooseTimeUnit);
    connect(player, &PlaybackControl::takingOver, editorWindows, &EditorWindows::playbackTakenOver);
    connect(player, &PlaybackControl::statusChanged, statusBar(),
            [this](const QString& text) { statusBar()->showMessage(text); });
    connect(&session.runner, &BatchRunner::listChanged, view, &FileListWidget::syncRows);
    connect(&session.runner, &BatchRunner::stopPlaybackRequested, player, &PlaybackControl::stop);
}

void MainWindow::bindListKeys() {
    const ListKey listKeys[] = {
        {Qt::Key_O, kOpen, true},     {Qt::Key_L, kSplitStereo, true},
        {Qt::Key_V, kVersion, true},  {Qt::Key_Space, kTogglePlay},
        {Qt::Key_Backspace, kDelete}, {Qt::Key_E, kExternalEditor},
        {Qt::Key_W, kWaveEditors},    {Qt::Key_I, kInfo},
    };
    for (const ListKey& k : listKeys)
        view->bindKey(k.key, &commands.at(k.command), k.beforeAnyRow);
}

void MainWindow::selectAlgorithm(int quality, bool store) {
    quality = static_cast<int>(App::qualityFrom(quality));
    current = quality;
    commands.at(kAlgorithms[quality - 1]).setChecked(true);
    if (!store) return;
    session.settings.quality = quality;
    saveSettings(this, session.settings); // a failure is shown; the algorithm stays chosen
}

void MainWindow::updateActions() {
    const bool any = session.list.firstSelected() != nullptr;
    for (int id : {kExternalEditor, kSaveCopy, kReveal, kProcess, kInfo, kDelete, kPaste, kPlay,
                   kPlayProcessed, kWaveEditors})
        commands.at(id).setEnabled(any);
    // Copy explains itself when the selection is not one row.
    commands.at(kCopy).setEnabled(!session.list.empty());
    commands.at(kSelectAll).setEnabled(!session.list.empty());
}

void MainWindow::showShortcuts() {
    if (!shortcuts) {
        shortcuts = new ShortcutsWindow(commands, *view, this);
        shortcuts->setAttribute(Qt::WA_DeleteOnClose);
    }
    shortcuts->show();
    shortcuts->raise();
    shortcuts->activateWindow();
}

void MainWindow::preferences() {
    if (!runPreferences(this, session.settings)) return;
    saveSettingsOrAsk(this, session.settings);
    player->restartEngine();
    view->refreshRows();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (list->prepareClose()) {
        rememberPlace(this, "Main");
        event->accept();
    } else {
        event->ignore();
    }
}

} // namespace Ui
