#include "ui/main/MainWindow.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QMenuBar>
#include <QStatusBar>
#include <QUrl>
#include <QVBoxLayout>

#include "app/JobSettings.h"
#include "ui/main/AboutBox.h"
#include "ui/common/Dialogs.h"
#include "ui/main/FileListWidget.h"
#include "ui/main/LivePlayController.h"
#include "ui/main/NowPlayingPanel.h"
#include "ui/main/PreferencesDialog.h"
#include "ui/main/StartUp.h"

namespace Ui {

struct MainWindow::Command {
    int id;
    const char* text;
    QKeySequence shortcut;
    const char* description; // "status tip\ntool tip"
};

namespace {

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
    kAbout = 57664,
    kHome = 34025,
    kPlay = 34000,
    kStop = 34001,
};

} // namespace

MainWindow::MainWindow(App::CSettings& appSettings, QWidget* parent)
    : QMainWindow(parent), settings(appSettings) {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(kAppTitle);
    setGeometry(20, 20, 470, 400);
    auto* central = new QWidget(this);
    list = new FileListWidget(settings, central);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(list, 1);
    layout->addWidget(list->nowPlayingPanel());
    setCentralWidget(central);
    buildMenus();
    connectCommands();
    live = std::make_unique<LivePlayController>(
        list->engine(), *list->nowPlayingPanel(),
        LivePlayController::Hooks{
            [this] { return list->model().firstSelected(); },
            [this] { return App::jobSettingsFrom(settings); }, [this] { list->takeOverPlayback(); },
            [this](const QString& text) { statusBar()->showMessage(text); },
            [this](const std::string& text) { list->showMessage(text); }},
        this);
    statusBar()->showMessage(tr("Ready"));
    connect(list, &FileListWidget::selectionChanged, this, &MainWindow::updateActions);
    updateActions();
    list->setFocus();
}

MainWindow::~MainWindow() = default;

QAction* MainWindow::addCommand(QMenu* menu, const Command& c) {
    auto* a = new QAction(tr(c.text), this);
    a->setObjectName(QStringLiteral("cmd%1").arg(c.id));
    if (!c.shortcut.isEmpty()) a->setShortcut(c.shortcut);
    const QString description = QString::fromUtf8(c.description);
    const auto newline = description.indexOf(QLatin1Char('\n'));
    a->setStatusTip(newline < 0 ? description : description.left(newline));
    if (newline >= 0) a->setToolTip(description.mid(newline + 1).trimmed());
    if (menu) menu->addAction(a);
    addAction(a);
    actions[c.id] = a;
    return a;
}

void MainWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    addCommand(file, {kOpen, "&Open audio file...", QKeySequence(Qt::CTRL | Qt::Key_O),
                      "Open an existing document\nOpen"});
    addCommand(file, {kSplitStereo,
                      "Open split &stereo file...",
                      {},
                      "Open a split stereo file\n Open Split Stereo"});
    addCommand(file, {kSplit51, "Open split surround &5.1 file...", {}, ""});
    addCommand(file, {kSplit61, "Open split surround &6.1 file...", {}, ""});
    addCommand(file, {kSplit71, "Open split surround &7.1 file...", {}, ""});
    addCommand(file, {kExternalEditor,
                      "Open in the chosen &editor",
                      {},
                      "Open the selected files in the chosen sound editor."});
    addCommand(file,
               {kSaveCopy, "Save &as...", {}, "Save a copy of the selected files\nSave a copy"});
    file->addSeparator();
    addCommand(file,
               {kReveal, "Show in file &manager", {}, "Reveals the selected item in the Explorer"});
    file->addSeparator();
    addCommand(file,
               {kProcess, "&Process selected files", {}, "Process the selected files\nProcess"});
    file->addSeparator();
    addCommand(
        file,
        {kInfo, "File &information", {}, "displays the file information about the selected file"});
    file->addSeparator();
    addCommand(file, {kExit, "E&xit", {}, "Quit the application; prompts to save documents"});

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    addCommand(edit, {kSelectAll, "Select &all", QKeySequence(Qt::CTRL | Qt::Key_A), "Select All"});
    addCommand(edit,
               {kDelete, "&Delete selected", QKeySequence(Qt::Key_Delete), "Delete Selected"});
    edit->addSeparator();
    addCommand(edit,
               {kCopy, "&Copy parameters", QKeySequence(Qt::CTRL | Qt::Key_C), "Copy Parameters"});
    addCommand(edit, {kPaste, "&Paste parameters", QKeySequence(Qt::CTRL | Qt::Key_V),
                      "Paste Parameters"});
    edit->addSeparator();
    addCommand(edit, {kPreferences, "P&references...", {}, "Preferences"});

    QMenu* algorithm = menuBar()->addMenu(tr("&Algorithm"));
    algorithms = new QActionGroup(this);
    const Command modes[] = {
        {kMono, "One &voice, solo instruments", {}, "Set the Algorithm to Monophonic/Voice/Instr."},
        {kFast, "Polyphonic music, &fast", {}, "Set the Algorithm to Polyphonic (fast)"},
        {kMedium,
         "Polyphonic music, &medium quality",
         {},
         "Set the Algorithm to Polyphonic (medium)"},
        {kBest, "Polyphonic music, &best quality", {}, "Set the Algorithm to Polyphonic (best)"}};
    for (const Command& c : modes) {
        QAction* a = addCommand(algorithm, c);
        a->setCheckable(true);
        algorithms->addAction(a);
    }
    actions[kFast]->setChecked(true);
    algorithm->addSeparator();
    exactPitch = algorithm->addAction(tr("E&xact pitch"));
    exactPitch->setObjectName(QStringLiteral("cmdExactPitch"));
    exactPitch->setCheckable(true);
    exactPitch->setChecked(settings.exactPitch);
    exactPitch->setStatusTip(
        tr("Shift the pitch exactly as asked, at about five times the processing time"));
    connect(exactPitch, &QAction::toggled, this, [this](bool on) {
        settings.exactPitch = on;
        saveSettingsOrAsk(this, settings);
    });

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    addCommand(help,
               {kAbout, "&About Stretchwerk...", {}, "Shows the program's picture and version"});
    addCommand(help, {kHome, "Open the Stretchwerk &manual...", {}, "Opens the Vellamar Homepage"});
    addCommand(nullptr, {kPlay, "Play", {}, "Play the selected file.\nPlay selected file"});
    addCommand(nullptr, {kStop, "Stop", {}, "Stop the playing file.\nStop playing"});
}

void MainWindow::connectCommands() {
    auto on = [this](int id, auto f) { connect(actions[id], &QAction::triggered, list, f); };
    on(kOpen, [this] { list->openAudioFiles(); });
    on(kSplitStereo, [this] { list->openSplit(2); });
    on(kSplit51, [this] { list->openSplit(6); });
    on(kSplit61, [this] { list->openSplit(7); });
    on(kSplit71, [this] { list->openSplit(8); });
    on(kExternalEditor, [this] { list->openInExternalEditor(); });
    on(kSaveCopy, [this] { list->saveCopy(); });
    on(kReveal, [this] { list->revealInFileManager(); });
    on(kProcess, [this] { list->processSelected(); });
    on(kInfo, [this] { list->fileInformation(); });
    on(kExit, [this] { close(); });
    on(kSelectAll, [this] { list->selectAll(); });
    on(kDelete, [this] { list->deleteSelected(); });
    on(kCopy, [this] { list->copyParameters(); });
    on(kPaste, [this] { list->pasteParameters(); });
    on(kPreferences, [this] { preferences(); });
    on(kMono, [this] { selectAlgorithm(1, true); });
    on(kFast, [this] { selectAlgorithm(2, true); });
    on(kMedium, [this] { selectAlgorithm(3, true); });
    on(kBest, [this] { selectAlgorithm(4, true); });
    on(kAbout, [this] { about(); });
    on(kHome, [] { QDesktopServices::openUrl(manualUrl()); });
    on(kPlay, [this] { list->play(); });
    on(kStop, [this] { list->stop(); });
}

QAction* MainWindow::action(int id) const {
    const auto it = actions.find(id);
    return it == actions.end() ? nullptr : it->second;
}

void MainWindow::selectAlgorithm(int quality, bool store) {
    const int ids[] = {kMono, kFast, kMedium, kBest};
    quality = static_cast<int>(App::qualityFrom(quality));
    current = quality;
    actions[ids[quality - 1]]->setChecked(true);
    if (!store) return;
    settings.quality = quality;
    saveSettings(this, settings); // a failure is shown; the algorithm stays chosen
}

void MainWindow::updateActions() {
    const bool any = list->model().firstSelected() != nullptr;
    for (int id : {kExternalEditor, kSaveCopy, kReveal, kProcess, kInfo, kDelete, kPaste, kPlay})
        actions[id]->setEnabled(any);
    // Copy explains itself when the selection is not one row.
    actions[kCopy]->setEnabled(!list->model().empty());
    actions[kSelectAll]->setEnabled(!list->model().empty());
}

void MainWindow::preferences() {
    if (!runPreferences(this, settings)) return;
    saveSettingsOrAsk(this, settings);
    list->restartEngine();
    list->refresh();
}

void MainWindow::about() {
    showAboutBox(this);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (list->prepareClose())
        event->accept();
    else
        event->ignore();
}

} // namespace Ui
