#include "ui/main/RecentMenu.h"

namespace Ui {

RecentMenu::RecentMenu(QWidget* parent, const std::string& path)
    : QMenu(tr("Open &recent"), parent), recent(path) {
    setObjectName(QStringLiteral("RecentMenu"));
    setToolTipsVisible(true);
    recent.load();
    connect(this, &QMenu::aboutToShow, this, &RecentMenu::rebuild);
    rebuild();
}

void RecentMenu::rebuild() {
    clear();
    for (const App::RecentEntry& entry : recent.list()) {
        QAction* a = addAction(QString::fromStdString(entry.menuText()));
        a->setToolTip(QString::fromStdString(entry.toolTip()));
        a->setEnabled(!entry.missing());
        connect(a, &QAction::triggered, this, [this, entry] { emit entryChosen(entry); });
    }
    if (recent.list().empty()) {
        addAction(tr("No files opened yet"))->setEnabled(false);
        return;
    }
    addSeparator();
    connect(addAction(tr("&Clear the list")), &QAction::triggered, this, [this] {
        recent.clear();
        store();
    });
}

void RecentMenu::remember(const std::vector<App::CFileRow*>& rows) {
    if (rows.empty()) return;
    for (const App::CFileRow* row : rows)
        recent.add(App::RecentEntry::of(*row));
    store();
}

void RecentMenu::store() {
    try {
        recent.save();
    } catch (const std::exception&) {
        // A convenience only: the menu keeps this session's list; the settings' own save shows
        // a folder that cannot be written.
    }
}

} // namespace Ui
